#include "files/paths.h"

#include <cstring>

#include "files/files_state.h"
#include "platform/windows_api.h"
#include "shell/shell_state.h"
#include "shell/texts.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The names a directory listing carries for the directory and its parent.
bool IsDotEntry(const char (&name)[260]) {
  return (name[0] == '.' && name[1] == '\0') || (name[0] == '.' && name[1] == '.' && name[2] == '\0');
}

}  // namespace

bool AppendSeparator(char* path, int size) {
  int length = static_cast<int>(strnlen(path, static_cast<size_t>(size)));
  if (length > 0 && IsSeparator(path[length - 1])) return true;
  if (length + 2 > size) return false;  // the separator and the terminator
  path[length] = '\\';
  path[length + 1] = '\0';
  return true;
}

bool ComposePath(char* destination, int size, const char* directory, const char* name) {
  if (size <= 0) return false;
  bool fits = directory[0] != '\0' && CopyText(destination, size, directory) && AppendSeparator(destination, size) &&
              AppendText(destination, size, name);
  if (!fits) destination[0] = '\0';
  return fits;
}

bool FileExists(const char* path) {
  Shell.LastErrorText[0] = '\0';
  win::Win32FindDataA entry{};
  win::Handle search = win::FindFirstFileA(path, &entry);
  if (search == win::kInvalidHandleValue) {
    Files.LookupError = win::GetLastError();
    SystemErrorText(Files.LookupError);
    return false;
  }
  Files.LookupError = 0;
  // A path ending in a full stop asks for the directory itself ("dir\."),
  // whatever name the listing gives it.
  size_t length = std::strlen(path);
  bool found = length > 0 && path[length - 1] == '.';
  while (!found) {
    entry.cFileName[sizeof entry.cFileName - 1] = '\0';
    if (!IsDotEntry(entry.cFileName)) {
      found = true;
    } else if (!win::FindNextFileA(search, &entry)) {
      break;  // only "." and "..": nothing there, and no error to keep
    }
  }
  win::FindClose(search);
  return found;
}

bool FileIsMissing(const char* path) {
  if (FileExists(path)) return false;
  return Files.LookupError == 0 || Files.LookupError == win::kErrorFileNotFound ||
         Files.LookupError == win::kErrorPathNotFound;
}
