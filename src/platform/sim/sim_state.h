// The simulated machine's state, shared by the files that implement the
// simulated calls.  Tests use sim.h instead.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/sim/sim.h"

namespace sim {

struct ProcessState {
  ProcessStart start;
  std::u16string commandLine;  // terminated copy that GetCommandLineW hands out
  win::Dword lastError = 0;
  win::HCursor currentCursor = nullptr;
  std::vector<std::string> calls;
  std::string dllSearch;
};

struct MachineState {
  WindowsKind kind = WindowsKind::kWindows32;
  int displayWidth = 1920;
  int displayHeight = 1080;
  int displayBitsPerPixel = 32;
  int displayPlanes = 1;

  std::vector<int> answers;
  size_t nextAnswer = 0;
  std::vector<MessageBoxRecord> boxes;
  int unansweredQuestions = 0;

  std::vector<DeviceContextRecord> dcs;
  std::vector<PaletteRecord> palettes;
  std::vector<PaletteSelection> selections;
  std::vector<int> loadedCursors;

  ProcessState process;
};

MachineState& Machine();

// Adds a line to the process's calls (ProcessCalls).
void RecordCall(const std::string& line);

// Each area of the machine keeps its own state in its own file and starts it
// afresh here when the machine is reset.
void ResetRegistry();
void ResetFiles();
void ResetWindows();

// The UTF-16 unit of a code page 1252 byte.
char16_t Cp1252Unit(unsigned char byte);

// Handles the simulation hands out are small numbers in their own ranges.
template <typename H>
H MakeHandle(uintptr_t base, size_t index) {
  return reinterpret_cast<H>(base + index);
}
constexpr uintptr_t kInstanceBase = 0x00400000;
constexpr uintptr_t kKernel32Base = 0x7C800000;
constexpr uintptr_t kUser32Base = 0x7E410000;
constexpr uintptr_t kDcBase = 0x01000000;
constexpr uintptr_t kPaletteBase = 0x02000000;
constexpr uintptr_t kCursorBase = 0x03000000;
constexpr uintptr_t kProcessPseudoHandle = static_cast<uintptr_t>(-1);

}  // namespace sim
