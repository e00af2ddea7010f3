// The started program as the next simulated process.
#include "platform/sim/sim_next_process.h"

#include "platform/sim/sim_files.h"

namespace sim {
namespace {

constexpr win::Dword kStartfUseShowWindow = 0x1;

// Code page 1252 from 0x80 to 0x9F; from 0xA0 up it is Latin-1, which maps
// to itself, and the five bytes it leaves free map to the same C1 controls.
const char16_t kHighUnits[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

std::u16string WidenCp1252(const std::string& text) {
  std::u16string wide;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    wide += (byte >= 0x80 && byte <= 0x9F) ? kHighUnits[byte - 0x80] : static_cast<char16_t>(byte);
  }
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
