#include "files/file_operations.h"

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

}  // namespace

bool CopyFileReported(const char* source, const char* target, win::Handle* held) {
  if (held != nullptr) *held = win::kInvalidHandleValue;
  if (source[0] == '\0' || target[0] == '\0') {
    SystemErrorText(kPathDoesNotFit);
  } else if (!win::CopyFileA(source, target, 0)) {
    TakeLastError();
  } else if (held != nullptr &&
             (*held = win::CreateFileA(target, win::kGenericRead, win::kFileShareRead, nullptr, win::kOpenExisting, 0,
                                       nullptr)) == win::kInvalidHandleValue) {
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
