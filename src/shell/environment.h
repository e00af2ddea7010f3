// The program's own name and its command-line arguments.
#pragma once

#include "platform/windows_api.h"

// Fills ProgramName, CommandLineArgs and ArgCount from the module file name
// and the process's wide command line.  Called once at start-up.
void CaptureEnvironment();

// Converts a wide text into the ANSI code page; returns the byte count
// WideCharToMultiByte reports (terminator included), 0 when it did not fit,
// which leaves the empty text.
int WideToAnsi(char* destination, const win::WideChar* source, int destinationSize);
