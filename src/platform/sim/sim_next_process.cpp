// The started program as the next simulated process.
#include "platform/sim/sim_next_process.h"

#include "platform/sim/sim_files.h"
#include "platform/sim/sim_state.h"

namespace sim {
namespace {

constexpr win::Dword kStartfUseShowWindow = 0x1;

}  // namespace

std::u16string WidenCp1252(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide += Cp1252Unit(static_cast<unsigned char>(c));
  return wide;
}

bool LastStartedProcess(ProcessStart* start) {
  const std::vector<ProcessCreation>& created = CreatedProcesses();
  if (created.empty() || !created.back().started) return false;
  const ProcessCreation& last = created.back();
  start->moduleFileName = last.applicationName;
  start->commandLine = WidenCp1252(last.commandLine);
  // Without STARTF_USESHOWWINDOW the program's entry gets SW_SHOWDEFAULT.
  bool chosen = (last.startupInfo.dwFlags & kStartfUseShowWindow) != 0;
  start->showCommand = chosen ? static_cast<int>(last.startupInfo.wShowWindow) : static_cast<int>(win::kSwShowDefault);
  return true;
}

bool StartLastCreatedProcess() {
  ProcessStart start;
  if (!LastStartedProcess(&start)) return false;
  StartProcess(start);
  return true;
}

}  // namespace sim
