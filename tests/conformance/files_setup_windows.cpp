// The file conformance tests' set-up on Windows (and Wine).
#if !defined(CONFORMANCE_ON_SIM) && defined(_WIN32)

#include <windows.h>

#include <string>

#include "conformance/files_setup.h"

namespace conformance {

std::string MakeScratchFolder(const std::string& name) {
  char temp[MAX_PATH];
  DWORD length = GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp, length) + "cfm-" + name;
  RemoveScratchFolder(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

bool MakeFolder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool WriteWholeFile(const std::string& path, const std::string& content) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

std::string ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char block[4096];
  DWORD read = 0;
  while (ReadFile(file, block, sizeof block, &read, nullptr) && read > 0) content.append(block, read);
  CloseHandle(file);
  return content;
}

void RemoveScratchFolder(const std::string& path) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = entry.cFileName;
      if (name == "." || name == "..") continue;
      std::string inner = path + "\\" + name;
      SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveScratchFolder(inner);
      } else {
        DeleteFileA(inner.c_str());
      }
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(path.c_str());
}

std::string QuickProgramPath() {
  char system[MAX_PATH];
  UINT length = GetSystemDirectoryA(system, sizeof system);
  return std::string(system, length) + "\\cmd.exe";
}

std::string QuickProgramArguments() { return "/c exit 0"; }

}  // namespace conformance

#endif  // !CONFORMANCE_ON_SIM && _WIN32
