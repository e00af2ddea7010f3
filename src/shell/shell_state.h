// The application shell's process-wide values, kept together so that a new
// process (or a test that simulates one) starts them all from their start
// values at once.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

constexpr int kMaxPath = 260;  // a path buffer, terminator included
constexpr int kMaxArgs = 30;   // command-line arguments kept
constexpr int kLastErrorTextSize = 2048;
constexpr int kMessageBoxTextSize = 32000;
constexpr int kMessageWorkSize = 5500;  // a box's text before it is prepared
constexpr int kStatusTextSize = 501;    // the status line, terminator included

struct ShellState {
  // Start-up and run sequence.
  win::HInstance AppInstance = nullptr;
  int ShowCommand = 0;
  win::HDc DisplayDC = nullptr;
  int32_t ScreenWidth = 0;
  int32_t ScreenHeight = 0;
  bool UsePalette = false;
  win::HPalette AppPalette = nullptr;
  win::HPalette PreviousPalette = nullptr;
  bool IsWow64 = false;
  bool ShutdownDone = false;
  win::HWnd MainWindow = nullptr;

  // Process environment and command line.
  char ProgramName[kMaxPath] = {};
  char CommandLineArgs[kMaxArgs][kMaxPath] = {};
  int32_t ArgCount = 0;
  char WindowTitle[kMaxPath] = {};

  // Message texts.
  char LastErrorText[kLastErrorTextSize] = {};
  char MessageBoxText[kMessageBoxTextSize] = {};

  // Status window.
  char StatusText[kStatusTextSize] = {};
  win::HCursor ActiveCursor = nullptr;
  win::HCursor WaitCursor = nullptr;
};

extern ShellState Shell;

// Copies source into a buffer of the given size, cutting it so that the
// terminator always fits.  Returns false when the text had to be cut.
bool CopyText(char* destination, int size, const char* source);
// Appends source to the text in destination under the same rule.
bool AppendText(char* destination, int size, const char* source);
