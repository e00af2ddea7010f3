#include "shell/environment.h"

#include <cstring>

#include "shell/shell_state.h"

namespace {

// The wide tokens before conversion: one entry per argument and one for the
// program-name token.
win::WideChar WideArgs[kMaxArgs][kMaxPath];
win::WideChar WideProgramToken[kMaxPath];

bool IsPathSeparator(char c) { return c == ':' || c == '/' || c == '\\'; }

void CaptureProgramName() {
  char modulePath[kMaxPath] = {};
  win::GetModuleFileNameA(Shell.AppInstance, modulePath, kMaxPath);
  modulePath[kMaxPath - 1] = '\0';

  int length = static_cast<int>(std::strlen(modulePath));
  const char* name = modulePath;
  for (int i = length - 1; i >= 1; --i) {
    if (IsPathSeparator(modulePath[i])) {
      name = modulePath + i + 1;
      break;
    }
  }
  CopyText(Shell.ProgramName, kMaxPath, name);

  // Cut the extension at the last full stop, but keep a name that is only
  // an extension (".exe").
  for (int i = static_cast<int>(std::strlen(Shell.ProgramName)) - 1; i >= 1; --i) {
    if (Shell.ProgramName[i] == '.') {
      Shell.ProgramName[i] = '\0';
      break;
    }
  }
}

// Reads one token starting at text and stores it in destination.  A token
// that does not fit its 260-character entry is stored as the empty text: a
// cut token would be a different argument.  Returns the position after it.
const win::WideChar* ReadToken(const win::WideChar* text, win::WideChar* destination) {
  const win::WideChar* start;
  const win::WideChar* end;
  if (*text == u'"') {
    start = ++text;
    while (*text != 0 && *text != u'"') ++text;
    end = text;
    if (*text == u'"') ++text;
  } else {
    start = text;
    while (*text != 0 && *text != u' ') ++text;
    end = text;
  }
  long length = static_cast<long>(end - start);
  if (length > kMaxPath - 1) length = 0;
  for (long i = 0; i < length; ++i) destination[i] = start[i];
  destination[length] = 0;
  return text;
}

void SplitCommandLine() {
  const win::WideChar* text = win::GetCommandLineW();
  std::memset(WideArgs, 0, sizeof WideArgs);
  std::memset(WideProgramToken, 0, sizeof WideProgramToken);
  std::memset(Shell.CommandLineArgs, 0, sizeof Shell.CommandLineArgs);
  Shell.ArgCount = -1;
  if (text == nullptr) return;

  while (*text != 0 && Shell.ArgCount < kMaxArgs) {
    win::WideChar* destination = Shell.ArgCount == -1 ? WideProgramToken : WideArgs[Shell.ArgCount];
    text = ReadToken(text, destination);
    while (*text == u' ') ++text;
    ++Shell.ArgCount;
  }
  for (int i = 0; i < Shell.ArgCount; ++i) WideToAnsi(Shell.CommandLineArgs[i], WideArgs[i], kMaxPath);
}

}  // namespace

int WideToAnsi(char* destination, const win::WideChar* source, int destinationSize) {
  if (destinationSize <= 0) return 0;
  int count = win::WideCharToMultiByte(win::kCpAcp, win::kWcCompositeCheck, source, -1, destination,
                                       destinationSize - 1, nullptr, nullptr);
  if (count < 0 || count > destinationSize - 1) count = 0;
  destination[count] = '\0';
  return count;
}

void CaptureEnvironment() {
  CaptureProgramName();
  SplitCommandLine();
}
