// Set-up of the conformance tests on the simulated Windows.
#if defined(CONFORMANCE_ON_SIM)

#include "conformance/conformance_setup.h"
#include "platform/sim/sim.h"

namespace conformance {

bool OnSim() { return true; }

void FreshWindows() { sim::ResetMachine(); }

std::vector<Wow64Case> Wow64Cases() {
  return {
      {"Windows32", static_cast<int>(sim::WindowsKind::kWindows32), true, true, false, "simulated 32-bit Windows"},
      {"Windows64", static_cast<int>(sim::WindowsKind::kWindows64), true, true, true, "simulated 64-bit Windows"},
      {"WindowsWithoutIsWow64Process", static_cast<int>(sim::WindowsKind::kWindowsNoWow64Api), true, false, false,
       "simulated old 32-bit Windows"},
  };
}

void EnterWow64Case(const Wow64Case& c) { sim::SetWindowsKind(static_cast<sim::WindowsKind>(c.machine)); }

// The simulation has no CreateProcessA: the new process is begun with
// sim::StartProcess and the command line CreateProcessA would hand over,
// the ANSI text widened from code page 1252.
bool CommandLineSeenByNewProcess(const std::string& commandLine, std::u16string* seen, std::string* failure) {
  std::u16string wide;
  for (char c : commandLine) {
    unsigned char byte = static_cast<unsigned char>(c);
    // Bytes 0x80 to 0x9F are not Latin-1 in code page 1252; no case uses them.
    if (byte >= 0x80 && byte < 0xA0) {
      *failure = "the simulated start widens only ASCII and Latin-1 bytes";
      return false;
    }
    wide += static_cast<char16_t>(byte);
  }
  char moduleName[260];
  win::Dword length = win::GetModuleFileNameA(nullptr, moduleName, sizeof moduleName);
  sim::ProcessStart start;
  start.moduleFileName.assign(moduleName, length);
  start.commandLine = wide;
  sim::StartProcess(start);
  *seen = win::GetCommandLineW();
  return true;
}

}  // namespace conformance

#endif  // CONFORMANCE_ON_SIM
