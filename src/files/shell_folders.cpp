#include "files/shell_folders.h"

#include <cstring>

#include "shell/shell_state.h"

namespace {

// Asks the shell for a folder's item list, converts it into a path and
// frees it with the shell's allocator; returns whether the shell knew it.
// Without the allocator the list could not be freed, so it is not asked for.
bool LookUpFolder(win::HWnd owner, int csidl, char* folder) {
  folder[0] = '\0';
  win::Malloc* allocator = nullptr;
  if (win::SHGetMalloc(&allocator) < 0 || allocator == nullptr) return false;
  win::ItemIdList* list = nullptr;
  bool known = win::SHGetSpecialFolderLocation(owner, csidl, &list) >= 0;
  if (known) {
    if (!win::SHGetPathFromIDListA(list, folder)) folder[0] = '\0';
    win::IMalloc_Free(allocator, list);
  }
  win::IMalloc_Release(allocator);
  return known;
}

}  // namespace

bool GetSpecialFolder(char* folder, int csidl) { return LookUpFolder(Shell.MainWindow, csidl, folder); }

void DeleteShortcut(win::HWnd owner, const char* name) {
  char path[kMaxPath];
  if (!LookUpFolder(owner, win::kCsidlDesktopDirectory, path) || path[0] == '\0') return;
  size_t used = std::strlen(path);
  bool fits = (path[used - 1] == '\\' || AppendText(path, kMaxPath, "\\")) && AppendText(path, kMaxPath, name) &&
              AppendText(path, kMaxPath, ".LNK");
  if (!fits) return;  // a cut name could be another file on the desktop
  win::DeleteFileA(path);
}
