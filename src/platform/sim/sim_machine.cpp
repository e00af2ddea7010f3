// The simulated machine and its process: set-up, start, last error.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim/sim_faults.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_state.h"
#include "platform/sim/sim_windows.h"

namespace sim {

MachineState& Machine() {
  static MachineState machine;
  return machine;
}

void ResetMachine() {
  Machine() = MachineState{};
  ResetRegistry();
  ResetFiles();
  ResetWindows();
  StartProcess(ProcessStart{});
}

void SetWindowsKind(WindowsKind kind) { Machine().kind = kind; }

void SetDisplay(int width, int height, int bitsPerPixel, int planes) {
  MachineState& m = Machine();
  m.displayWidth = width;
  m.displayHeight = height;
  m.displayBitsPerPixel = bitsPerPixel;
  m.displayPlanes = planes;
}

void StartProcess(const ProcessStart& start) {
  ProcessState& p = Machine().process;
  p = ProcessState{};
  p.start = start;
  p.commandLine = start.commandLine;
  StartFilesProcess();
  StartWindowsProcess();
}

const std::vector<std::string>& ProcessCalls() { return Machine().process.calls; }
const std::string& DllSearch() { return Machine().process.dllSearch; }
void RecordCall(const std::string& line) { Machine().process.calls.push_back(line); }

win::HInstance ProcessInstance() { return MakeHandle<win::HInstance>(kInstanceBase, 0); }
int ProcessShowCommand() { return Machine().process.start.showCommand; }

void NotModelled(const char* call) {
  std::fprintf(stderr, "simulated Windows: %s is not modelled yet\n", call);
  std::abort();
}

}  // namespace sim

namespace win {

Dword GetLastError() { return sim::Machine().process.lastError; }
void SetLastError(Dword code) { sim::Machine().process.lastError = code; }

// Copies the module's path like Windows does: a path that does not fit is
// cut to size - 1 characters, terminated, and ERROR_INSUFFICIENT_BUFFER set.
Dword GetModuleFileNameA(HInstance module, char* fileName, Dword size) {
  SIM_FAULT_POINT("GetModuleFileNameA", 0u);
  sim::RecordCall("GetModuleFileNameA");
  if (module != nullptr && module != sim::ProcessInstance()) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  const std::string& path = sim::Machine().process.start.moduleFileName;
  if (size == 0) {
    SetLastError(kErrorInsufficientBuffer);
    return 0;
  }
  if (path.size() < size) {
    std::memcpy(fileName, path.c_str(), path.size() + 1);
    SetLastError(kErrorSuccess);  // Windows since Vista clears it on success
    return static_cast<Dword>(path.size());
  }
  std::memcpy(fileName, path.data(), size - 1);
  fileName[size - 1] = '\0';
  SetLastError(kErrorInsufficientBuffer);
  return size;
}

HInstance GetModuleHandleA(const char* moduleName) {
  SIM_FAULT_POINT("GetModuleHandleA", nullptr);
  sim::RecordCall(std::string("GetModuleHandleA ") + (moduleName != nullptr ? moduleName : "NULL"));
  if (moduleName == nullptr) return sim::ProcessInstance();
  if (strcasecmp(moduleName, "kernel32") == 0 || strcasecmp(moduleName, "kernel32.dll") == 0)
    return sim::MakeHandle<HInstance>(sim::kKernel32Base, 0);
  if (strcasecmp(moduleName, "user32") == 0 || strcasecmp(moduleName, "user32.dll") == 0)
    return sim::MakeHandle<HInstance>(sim::kUser32Base, 0);
  SetLastError(kErrorModNotFound);
  return nullptr;
}

Handle GetCurrentProcess() { return reinterpret_cast<Handle>(sim::kProcessPseudoHandle); }

const WideChar* GetCommandLineW() {
  sim::RecordCall("GetCommandLineW");
  return sim::Machine().process.commandLine.c_str();
}

static Bool WINAPI_CALL SimIsWow64Process(Handle process, Bool* wow64Process) {
  if (process != GetCurrentProcess() || wow64Process == nullptr) {
    SetLastError(kErrorInvalidHandle);
    return 0;
  }
  *wow64Process = sim::Machine().kind == sim::WindowsKind::kWindows64 ? 1 : 0;
  return 1;
}

static Bool WINAPI_CALL SimSetDefaultDllDirectories(Dword directoryFlags) {
  char line[64];
  std::snprintf(line, sizeof line, "SetDefaultDllDirectories 0x%X", directoryFlags);
  sim::RecordCall(line);
  if (directoryFlags != kLoadLibrarySearchSystem32) sim::NotModelled("SetDefaultDllDirectories with other flags");
  sim::Machine().process.dllSearch = "system32";
  return 1;
}

// Where the default search already excludes the current folder, the setting
// stays as it is.
Bool SetDllDirectoryA(const char* pathName) {
  sim::RecordCall(std::string("SetDllDirectoryA \"") + (pathName != nullptr ? pathName : "NULL") + "\"");
  if (pathName == nullptr || pathName[0] != '\0') sim::NotModelled("SetDllDirectoryA with a folder");
  if (sim::Machine().process.dllSearch.empty()) sim::Machine().process.dllSearch = "no current folder";
  return 1;
}

// kernel32 of the old Windows exports none of the WOW64 calls; Windows XP
// without the update lacks SetDefaultDllDirectories, and so does the old one.
FarProc GetProcAddress(HInstance module, const char* procName) {
  SIM_FAULT_POINT("GetProcAddress", nullptr);
  sim::RecordCall(std::string("GetProcAddress ") + procName);
  sim::WindowsKind kind = sim::Machine().kind;
  bool wow64Api = kind != sim::WindowsKind::kWindowsNoWow64Api;
  bool dllDirectoriesApi = kind == sim::WindowsKind::kWindows32 || kind == sim::WindowsKind::kWindows64;
  bool kernel32 = module == sim::MakeHandle<HInstance>(sim::kKernel32Base, 0);
  if (kernel32 && dllDirectoriesApi && std::strcmp(procName, "SetDefaultDllDirectories") == 0)
    return reinterpret_cast<FarProc>(&SimSetDefaultDllDirectories);
  if (kernel32 && wow64Api) {
    if (std::strcmp(procName, "IsWow64Process") == 0) return reinterpret_cast<FarProc>(&SimIsWow64Process);
    if (std::strcmp(procName, "Wow64DisableWow64FsRedirection") == 0)
      return reinterpret_cast<FarProc>(&sim::SimWow64DisableWow64FsRedirection);
    if (std::strcmp(procName, "Wow64RevertWow64FsRedirection") == 0)
      return reinterpret_cast<FarProc>(&sim::SimWow64RevertWow64FsRedirection);
  }
  SetLastError(kErrorProcNotFound);
  return nullptr;
}

}  // namespace win
