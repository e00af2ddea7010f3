// The small centred window that shows the status line while the copy in the
// temporary folder uninstalls, and owns the message boxes.
#pragma once

#include "platform/windows_api.h"

// Registers the window class, creates, centres and shows the window and
// stores it in MainWindow.  Returns true, also when creation failed.
bool CreateStatusWindow();

// Sets the status line (formatted like the message texts), repaints the
// window at once and makes the wait cursor the active one.
void SetStatusText(const char* format, ...);

win::LResult WINAPI_CALL StatusWindowProc(win::HWnd window, uint32_t message, win::WParam wParam, win::LParam lParam);
