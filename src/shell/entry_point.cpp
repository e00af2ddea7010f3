#include "shell/entry_point.h"

#include "shell/app_palette.h"
#include "shell/environment.h"
#include "shell/shell_state.h"
#include "shell/status_window.h"
#include "uninstall/relocation.h"
#include "uninstall/uninstall_sequence.h"

namespace {

void PrepareDisplay() {
  Shell.DisplayDC = win::CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  win::SetMapMode(Shell.DisplayDC, win::kMmText);
  Shell.ScreenWidth = win::GetDeviceCaps(Shell.DisplayDC, win::kHorzRes);
  Shell.ScreenHeight = win::GetDeviceCaps(Shell.DisplayDC, win::kVertRes);
  int depth = win::GetDeviceCaps(Shell.DisplayDC, win::kPlanes) * win::GetDeviceCaps(Shell.DisplayDC, win::kBitsPixel);
  Shell.UsePalette = depth <= 8;
  if (Shell.UsePalette) {
    Shell.AppPalette = win::CreatePalette(&AppPaletteTable);
    Shell.PreviousPalette = win::SelectPalette(Shell.DisplayDC, Shell.AppPalette, 1);
    win::RealizePalette(Shell.DisplayDC);
  }
}

// The copy runs from the user's temporary folder, where anybody may have put
// a DLL of a name that Windows loads on demand (version.dll and the like):
// the DLL search is kept to the system folder before anything can load one.
// Windows without SetDefaultDllDirectories (XP, and Vista or 7 without the
// update of 2011) at least take the current folder out of the search.
void RestrictDllSearch() {
  auto setDefaultDllDirectories = reinterpret_cast<win::SetDefaultDllDirectoriesFn>(
      win::GetProcAddress(win::GetModuleHandleA("kernel32"), "SetDefaultDllDirectories"));
  if (setDefaultDllDirectories != nullptr && setDefaultDllDirectories(win::kLoadLibrarySearchSystem32) != 0) return;
  win::SetDllDirectoryA("");
}

}  // namespace

bool DetectWow64() {
  auto isWow64Process =
      reinterpret_cast<win::IsWow64ProcessFn>(win::GetProcAddress(win::GetModuleHandleA("kernel32"), "IsWow64Process"));
  if (isWow64Process == nullptr) return false;
  win::Bool wow64 = 0;
  isWow64Process(win::GetCurrentProcess(), &wow64);
  return wow64 != 0;
}

void ShutdownShell() {
  if (Shell.ShutdownDone) return;
  Shell.ShutdownDone = true;
  if (Shell.UsePalette) {
    if (Shell.PreviousPalette != nullptr) {
      win::SelectPalette(Shell.DisplayDC, Shell.PreviousPalette, 1);
      win::RealizePalette(Shell.DisplayDC);
      Shell.PreviousPalette = nullptr;
    }
    if (Shell.AppPalette != nullptr) {
      win::DeleteObject(Shell.AppPalette);
      Shell.AppPalette = nullptr;
    }
  }
  win::DeleteDC(Shell.DisplayDC);
  Shell.DisplayDC = nullptr;
}

int ProgramEntry(win::HInstance instance, win::HInstance /*previousInstance*/, char* /*commandLine*/, int showCommand) {
  RestrictDllSearch();
  Shell.MainWindow = nullptr;
  win::SetLastError(0);
  Shell.ActiveCursor = win::LoadCursorA(nullptr, win::MakeIntResourceA(win::kIdcAppStarting));
  Shell.WaitCursor = win::LoadCursorA(nullptr, win::MakeIntResourceA(win::kIdcWait));
  PrepareDisplay();
  Shell.IsWow64 = DetectWow64();
  Shell.AppInstance = instance;
  Shell.ShowCommand = showCommand;
  CaptureEnvironment();

  if (RelocateToTemp()) {
    CreateStatusWindow();
    RunUninstall();
  }
  ShutdownShell();
  return 0;
}
