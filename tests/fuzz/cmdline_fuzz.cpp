// libFuzzer target: the command-line splitting and the check of the one
// argument, on a simulated process whose wide command line is built from
// arbitrary bytes, under AddressSanitizer and UndefinedBehaviorSanitizer.
//
// Input: an even first byte makes every further byte one character of code
// page 1252 (blanks and quotes come often); an odd one makes the further
// bytes little-endian UTF-16 units, any value but 0.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/files_state.h"
#include "layouts/layouts_state.h"
#include "platform/sim/sim.h"
#include "shell/environment.h"
#include "shell/shell_state.h"
#include "uninstall/layout_key.h"
#include "uninstall/uninstall_state.h"

namespace {

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "cmdline fuzz: %s\n", what);
  std::abort();
}

bool Terminated(const char* text, int size) { return std::memchr(text, '\0', static_cast<size_t>(size)) != nullptr; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string commandLine;
  if (size > 0 && (data[0] & 1) != 0) {
    for (size_t i = 1; i + 1 < size; i += 2) {
      char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
      if (unit != 0) commandLine += unit;
    }
  } else {
    for (size_t i = 1; i < size; ++i)
      if (data[i] != 0) commandLine += static_cast<char16_t>(data[i]);
  }

  sim::ResetMachine();
  sim::ProcessStart start;
  start.commandLine = commandLine;
  sim::StartProcess(start);
  Shell = ShellState{};
  Uninstall = UninstallState{};
  Layouts = LayoutsState{};
  Files = FilesState{};
  Shell.AppInstance = sim::ProcessInstance();

  CaptureEnvironment();
  // An empty command line has not even the program's token: -1.
  if (Shell.ArgCount < -1 || Shell.ArgCount > kMaxArgs) Broken("argument count out of range");
  if (!Terminated(Shell.ProgramName, kMaxPath)) Broken("program name without terminator");
  for (int i = 0; i < kMaxArgs; ++i)
    if (!Terminated(Shell.CommandLineArgs[i], kMaxPath)) Broken("argument without terminator");

  size_t boxesBefore = sim::MessageBoxes().size();
  bool accepted = ValidateLayoutKey();
  size_t boxes = sim::MessageBoxes().size() - boxesBefore;
  if (accepted) {
    const char* key = Uninstall.LayoutKeyName;
    if (Shell.ArgCount != 1) Broken("key accepted without exactly one argument");
    if (std::strlen(key) != 8 || std::memcmp(key + 4, "0407", 4) != 0) Broken("key accepted that is no German layout");
    if (boxes != 0) Broken("accepted key with a warning");
  } else if (boxes != 1) {
    Broken("refusal without exactly one warning");
  }
  for (const sim::MessageBoxRecord& box : sim::MessageBoxes())
    if (box.text.empty()) Broken("empty box text");
  return 0;
}
