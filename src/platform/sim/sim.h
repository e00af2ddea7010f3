// Control of the simulated Windows: what a test sets up before the program
// runs and what it reads back afterwards.  The simulated calls themselves are
// those of platform/windows_api.h.
//
// The simulation is one machine (display, answers to message boxes, the
// Windows kind) with one running process at a time (module, command line,
// last error).  ResetMachine gives a fresh machine; StartProcess begins a new
// process on the same machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace sim {

// ------------------------------------------------------------- machine ---
enum class WindowsKind {
  kWindows32,          // 32-bit Windows: kernel32 has IsWow64Process, it says FALSE
  kWindows64,          // 64-bit Windows: a 32-bit process runs under WOW64
  kWindowsNoWow64Api,  // an old 32-bit Windows whose kernel32 lacks IsWow64Process
  kWindowsXp           // 32-bit Windows XP: IsWow64Process, but no SetDefaultDllDirectories
                       // (nor has Vista or 7 without its update); the others have both
};

// A fresh machine: 32-bit Windows, a 1920x1080 display of 32 bits per pixel,
// no scripted answers, nothing recorded, and a process started as
// C:\Programme\Tessmar\Uninstall_Oskaldrv.exe without arguments.
void ResetMachine();
void SetWindowsKind(WindowsKind kind);
void SetDisplay(int width, int height, int bitsPerPixel, int planes = 1);

// ------------------------------------------------------------- process ---
struct ProcessStart {
  std::string moduleFileName = "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe";
  std::u16string commandLine = u"\"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe\"";
  int showCommand = win::kSwShowNormal;
};
// Begins a new process on the current machine: new module, command line and
// show command, last error 0, no windows, no device contexts.
void StartProcess(const ProcessStart& start);
win::HInstance ProcessInstance();
int ProcessShowCommand();

// The process's calls of its own set-up, in order, one line each:
// "GetModuleHandleA kernel32", "GetProcAddress NAME",
// "SetDefaultDllDirectories 0x800", "SetDllDirectoryA \"\"",
// "GetModuleFileNameA", "GetCommandLineW", "LoadCursorA ID", "CreateDCA".
const std::vector<std::string>& ProcessCalls();
// Where the process's DLL search ends up: "" while untouched, "system32" after
// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32), "no current folder"
// after SetDllDirectoryA("").
const std::string& DllSearch();

// --------------------------------------------------------- message boxes ---
struct MessageBoxRecord {
  win::HWnd owner;
  std::string caption;  // bytes as passed (code page 1252)
  std::string text;
  uint32_t type;
  int result;
};
// Answers for the next boxes, in order.  A box with only an OK button that
// finds no scripted answer is answered IDOK; a question that finds none makes
// MessageBoxA fail (result 0) and is counted in UnansweredQuestions.
void ScriptAnswers(const std::vector<int>& answers);
const std::vector<MessageBoxRecord>& MessageBoxes();
int UnansweredQuestions();

// -------------------------------------------------------------- display ---
struct DeviceContextRecord {
  win::HDc handle;
  std::string driver;
  bool deleted;
  int mapMode;
  win::HPalette selectedPalette;
  int realizeCount;
};
struct PaletteRecord {
  win::HPalette handle;
  std::vector<win::PaletteEntry> entries;
  uint16_t version;
  bool deleted;
};
struct PaletteSelection {
  win::HDc dc;
  win::HPalette palette;
  bool forceBackground;
};
const std::vector<DeviceContextRecord>& DeviceContexts();
const std::vector<PaletteRecord>& Palettes();
const std::vector<PaletteSelection>& PaletteSelections();  // in call order
win::HPalette DefaultPalette();                            // the palette a new device context holds

// Cursors: each system cursor has a fixed handle; LoadCursorA is recorded.
win::HCursor SystemCursor(int id);
const std::vector<int>& LoadedCursorIds();
win::HCursor CurrentCursor();

// --------------------------------------------------------------- faults ---
// Calls the simulation has not modelled yet stop the test with a message
// instead of returning something invented.
[[noreturn]] void NotModelled(const char* call);

}  // namespace sim
