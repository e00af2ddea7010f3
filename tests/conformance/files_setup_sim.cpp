// The file conformance tests' set-up on the simulated Windows.
#if defined(CONFORMANCE_ON_SIM)

#include "conformance/files_setup.h"
#include "platform/sim/sim_files.h"
#include "platform/windows_api.h"

namespace conformance {

std::string MakeScratchFolder(const std::string& name) {
  char temp[260];
  win::Dword length = win::GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp, length) + "cfm-" + name;
  sim::AddFiles((folder + "\\").c_str());
  return folder;
}

bool MakeFolder(const std::string& path) {
  if (sim::FindEntry(path) != nullptr) return false;
  sim::AddFiles((path + "\\").c_str());
  return true;
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  sim::AddFiles((path + " [A]" + (content.empty() ? "" : " = " + content)).c_str());
  return true;
}

std::string ReadWholeFile(const std::string& path) {
  const sim::FileEntry* entry = sim::FindEntry(path);
  return entry == nullptr || entry->directory ? "<missing>" : entry->content;
}

void RemoveScratchFolder(const std::string&) {}  // the next test gets a fresh machine

std::string QuickProgramPath() {
  char system[260];
  win::Dword length = win::GetSystemDirectoryA(system, sizeof system);
  std::string path = std::string(system, length) + "\\cmd.exe";
  sim::AddFiles((path + " = MZ").c_str());
  return path;
}

std::string QuickProgramArguments() { return "/c exit 0"; }

}  // namespace conformance

#endif  // CONFORMANCE_ON_SIM
