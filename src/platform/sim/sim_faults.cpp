#include "platform/sim/sim_faults.h"

#include <cstring>
#include <map>

namespace sim {

namespace {

struct FaultState {
  bool recording = false;
  std::vector<std::string> trace;
  std::map<std::string, int> counts;
  std::string armedCall;
  int armedOccurrence = -1;
  bool injected = false;
  int standingAnswer = 0;
};

FaultState& Faults() {
  static FaultState state;
  return state;
}

// The realistic failure of each call.
struct CallError {
  const char* call;
  win::Dword error;
};
const CallError kCallErrors[] = {
    // The registry: a key the user may not touch.
    {"RegOpenKeyExA", win::kErrorAccessDenied},
    {"RegCreateKeyExA", win::kErrorAccessDenied},
    {"RegSetValueExA", win::kErrorAccessDenied},
    {"RegQueryInfoKeyA", win::kErrorAccessDenied},
    {"RegEnumKeyExA", win::kErrorAccessDenied},
    {"RegEnumValueA", win::kErrorAccessDenied},
    {"RegDeleteKeyA", win::kErrorAccessDenied},
    // Files: another program holds the file open, or the user may not.
    {"FindFirstFileA", win::kErrorAccessDenied},
    {"FindNextFileA", win::kErrorAccessDenied},
    {"CopyFileA", win::kErrorSharingViolation},
    {"SetFileAttributesA", win::kErrorAccessDenied},
    {"DeleteFileA", win::kErrorAccessDenied},
    {"RemoveDirectoryA", win::kErrorSharingViolation},
    {"MoveFileExA", win::kErrorAccessDenied},
    {"CreateFileA", win::kErrorSharingViolation},
    {"ReadFile", win::kErrorAccessDenied},
    {"CreateProcessA", win::kErrorFileNotFound},
    // Folder and module queries, text conversion: out of memory.
    {"GetSystemDirectoryA", 8},
    {"GetSystemWow64DirectoryA", 8},
    {"GetWindowsDirectoryA", 8},
    {"GetTempPathA", 8},
    {"GetModuleFileNameA", 8},
    {"GetModuleHandleA", 126},  // ERROR_MOD_NOT_FOUND
    {"GetProcAddress", 127},    // ERROR_PROC_NOT_FOUND: an older Windows
    {"FormatMessageA", 8},
    {"WideCharToMultiByte", 122},  // ERROR_INSUFFICIENT_BUFFER
    {"SHGetMalloc", 0x80004005},   // E_FAIL
    {"SHGetSpecialFolderLocation", 0x80004005},
    {"SHGetPathFromIDListA", 8},
    // The user interface: out of resources (the box is never shown).
    {"MessageBoxA", 8},
};

}  // namespace

void StartFaultTrace() {
  int answer = Faults().standingAnswer;
  Faults() = FaultState{};
  Faults().standingAnswer = answer;
  Faults().recording = true;
}

void ArmFault(const std::string& call, int occurrence) {
  StartFaultTrace();
  Faults().armedCall = call;
  Faults().armedOccurrence = occurrence;
}

void StopFaultTrace() {
  Faults().recording = false;
  Faults().armedCall.clear();
  Faults().armedOccurrence = -1;
}

const std::vector<std::string>& FaultTrace() { return Faults().trace; }
bool FaultInjected() { return Faults().injected; }

win::Dword FaultErrorFor(const std::string& call) {
  for (const CallError& entry : kCallErrors)
    if (call == entry.call) return entry.error;
  return 8;  // ERROR_NOT_ENOUGH_MEMORY: windows, device contexts, GDI objects
}

bool Enter(const char* call, win::Dword* error) {
  FaultState& state = Faults();
  if (!state.recording) return false;
  state.trace.push_back(call);
  int occurrence = state.counts[call]++;
  if (occurrence != state.armedOccurrence || state.armedCall != call) return false;
  state.injected = true;
  *error = FaultErrorFor(call);
  return true;
}

void SetStandingAnswer(int answer) { Faults().standingAnswer = answer; }
int StandingAnswer() { return Faults().standingAnswer; }

}  // namespace sim
