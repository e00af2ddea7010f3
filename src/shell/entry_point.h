// The program's entry point and run sequence.
#pragma once

#include "platform/windows_api.h"

// Prepares the display resources, detects WOW64, captures the command line
// and runs the three stages; returns the process exit code, which is always 0.
// Called by the Windows entry point (WinMain) with its four arguments; the
// previous instance and the command-line text are not used.
int ProgramEntry(win::HInstance instance, win::HInstance previousInstance, char* commandLine, int showCommand);

// True when the process is a 32-bit process on 64-bit Windows.
bool DetectWow64();

// Releases the display resources; only the first call acts.
void ShutdownShell();
