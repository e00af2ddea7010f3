// The program's message boxes: formatted, prepared and shown with the status
// window (when it exists) as owner.
#pragma once

#include "platform/windows_api.h"

// Shows a box with MessageBoxA and MainWindow as owner; returns the button
// that closed it, 0 when the box could not be shown.
int ShowMessageBox(const char* text, const char* caption, uint32_t type);

// Each formats its text with FormatText, prepares it for the box and shows
// it; the caption is ProgramName except for ShowWarningTitled.  A ready-made
// text that may contain '%' is passed as the argument of "%s".
int ShowInfo(const char* format, ...);
int AskYesNo(const char* format, ...);
int ShowWarning(const char* format, ...);
int ShowWarningTitled(const char* caption, const char* format, ...);
