#include "files/system_folders.h"

#include <cstring>

#include "files/files_state.h"
#include "files/paths.h"
#include "files/shell_folders.h"
#include "platform/windows_api.h"
#include "shell/shell_state.h"
#include "uninstall/product_profile.h"

namespace {

using DirectoryQuery = uint32_t (*)(char* buffer, uint32_t size);

// Only kernel32 of a 64-bit Windows (and of later 32-bit ones) has the
// redirection calls, so they are looked up, not imported.
win::FarProc Kernel32Function(const char* name) { return win::GetProcAddress(win::GetModuleHandleA("kernel32"), name); }

// A folder with its trailing backslash.  An unanswered query leaves the
// buffer empty, which becomes a single backslash; an answer that does not
// fit (with its backslash) leaves the folder empty.
void QuerySystemFolder(char (&folder)[kMaxPath], DirectoryQuery query) {
  std::memset(folder, 0, sizeof folder);
  uint32_t length = query(folder, kMaxPath);
  if (length >= kMaxPath || !AppendSeparator(folder, kMaxPath)) std::memset(folder, 0, sizeof folder);
}

void ComposeInstallDir() {
  std::memset(Files.InstallDir, 0, sizeof Files.InstallDir);
  char programFiles[kMaxPath] = {};
  if (GetSpecialFolder(programFiles, win::kCsidlProgramFiles)) {
    // The shell knows the folder but could not give its path in 260
    // characters: there is no product folder path to work with.
    if (programFiles[0] == '\0') return;
  } else {
    uint32_t length = win::GetWindowsDirectoryA(programFiles, kMaxPath);
    if (length >= kMaxPath) return;
    size_t used = std::strlen(programFiles);
    bool fits = (used > 0 && programFiles[used - 1] == '\\') || AppendText(programFiles, kMaxPath, "\\");
    if (!fits || !AppendText(programFiles, kMaxPath, "Programme")) return;
  }
  ComposePath(Files.InstallDir, kMaxPath, programFiles, ProductFolderName);
}

}  // namespace

void InitSystemFolders() {
  if (Shell.IsWow64) {
    auto disable =
        reinterpret_cast<win::Wow64DisableWow64FsRedirectionFn>(Kernel32Function("Wow64DisableWow64FsRedirection"));
    if (disable != nullptr) disable(&Files.FsRedirectionOldValue);
  }
  QuerySystemFolder(Files.SystemDir, win::GetSystemDirectoryA);
  if (Shell.IsWow64) QuerySystemFolder(Files.SystemWow64Dir, win::GetSystemWow64DirectoryA);
  ComposeInstallDir();
}

void RevertFsRedirection() {
  if (!Shell.IsWow64) return;
  auto revert =
      reinterpret_cast<win::Wow64RevertWow64FsRedirectionFn>(Kernel32Function("Wow64RevertWow64FsRedirection"));
  if (revert != nullptr) revert(Files.FsRedirectionOldValue);
}
