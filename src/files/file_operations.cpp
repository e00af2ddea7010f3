#include "files/file_operations.h"

#include <cstring>

#include "files/paths.h"
#include "platform/windows_api.h"
#include "shell/message_boxes.h"
#include "shell/shell_state.h"
#include "shell/status_window.h"
#include "shell/texts.h"
#include "uninstall/product_profile.h"

namespace {

const char kCopyFailed[] = "Kopieren einer Datei fehlgeschlagen.\n\nQuelle: %s\nZiel: %s\n\n%s";
const char kDeleteFailed[] = "Folgende Datei kann nicht gelöscht werden:\n%s\n\n%s";
const char kRemoveFailed[] = "Folgendes Verzeichnis kann nicht gelöscht werden:\n%s\n\n%s";

// Reads both files to their ends; true when their bytes are the same.  A
// failed read leaves its error, a difference ERROR_FILE_INVALID.
bool SameContent(win::Handle first, win::Handle second) {
  char a[4096];
  char b[4096];
  for (;;) {
    win::Dword readA = 0;
    win::Dword readB = 0;
    if (!win::ReadFile(first, a, sizeof a, &readA, nullptr) || !win::ReadFile(second, b, sizeof b, &readB, nullptr))
      return false;
    if (readA != readB || std::memcmp(a, b, readA) != 0) {
      win::SetLastError(win::kErrorFileInvalid);
      return false;
    }
    if (readA == 0) return true;
  }
}

// Opens the copy so that nobody can change or delete it while it is held,
// and checks that what is held is what was copied: the copy could have been
// replaced in the moment between the copying and the opening.
bool HoldCopy(const char* source, const char* target, win::Handle* held) {
  *held = win::CreateFileA(target, win::kGenericRead, win::kFileShareRead, nullptr, win::kOpenExisting, 0, nullptr);
  if (*held == win::kInvalidHandleValue) return false;
  win::Handle original =
      win::CreateFileA(source, win::kGenericRead, win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete,
                       nullptr, win::kOpenExisting, 0, nullptr);
  bool same = original != win::kInvalidHandleValue && SameContent(original, *held);
  if (!same) {
    win::Dword error = win::GetLastError();
    if (original != win::kInvalidHandleValue) win::CloseHandle(original);
    win::CloseHandle(*held);
    *held = win::kInvalidHandleValue;
    win::SetLastError(error);
    return false;
  }
  win::CloseHandle(original);
  return true;
}

}  // namespace

bool CopyFileReported(const char* source, const char* target, win::Handle* held) {
  if (held != nullptr) *held = win::kInvalidHandleValue;
  if (source[0] == '\0' || target[0] == '\0') {
    SystemErrorText(kPathDoesNotFit);
  } else if (!win::CopyFileA(source, target, 0)) {
    TakeLastError();
  } else if (held != nullptr && !HoldCopy(source, target, held)) {
    TakeLastError();
  } else {
    // The copy took the source's attributes over; read-only, hidden or
    // system would hinder deleting it later.
    win::SetFileAttributesA(target, win::kFileAttributeArchive);
    return true;
  }
  ShowWarningTitled(FileOperationCaption, kCopyFailed, source, target, Shell.LastErrorText);
  return false;
}

bool DeleteFileReported(const char* path) {
  if (path[0] == '\0') {
    SystemErrorText(kPathDoesNotFit);
  } else {
    if (FileIsMissing(path)) return true;
    SetStatusText("Lösche %s ...", path);
    if (win::DeleteFileA(path)) return true;
    TakeLastError();
  }
  ShowWarningTitled(FileOperationCaption, kDeleteFailed, path, Shell.LastErrorText);
  return false;
}

bool RemoveDirectoryReported(const char* path) {
  if (path[0] == '\0') {
    SystemErrorText(kPathDoesNotFit);
  } else {
    SetStatusText("Lösche Verzeichnis %s ...", path);
    if (win::RemoveDirectoryA(path)) return true;
    TakeLastError();
  }
  ShowWarningTitled(FileOperationCaption, kRemoveFailed, path, Shell.LastErrorText);
  return false;
}
