#include "shell/launcher.h"

#include "files/paths.h"
#include "platform/windows_api.h"
#include "shell/message_boxes.h"
#include "shell/shell_state.h"
#include "shell/status_window.h"
#include "shell/texts.h"

namespace {

constexpr int kCommandLineSize = 32768;  // CreateProcessA's limit, terminator included

const char kStartFailed[] =
    "Folgender Programmstart konnte nicht durchgeführt werden:\nDatei: %s\nAusführen in: %s\nParameter: %s\n\n%s";

// The program path in quotation marks, so that blanks in it do not split it,
// then a blank and the parameters as they are.  False when the line does not
// fit: a cut line would start the program with other parameters.
bool ComposeCommandLine(char* commandLine, const char* programPath, const char* parameters) {
  return CopyText(commandLine, kCommandLineSize, "\"") && AppendText(commandLine, kCommandLineSize, programPath) &&
         AppendText(commandLine, kCommandLineSize, "\" ") && AppendText(commandLine, kCommandLineSize, parameters);
}

}  // namespace

bool RunProgram(const char* programPath, const char* parameters) {
  SetStatusText("Aufruf von %s ...", parameters);

  char commandLine[kCommandLineSize] = {};
  win::ProcessInformation process{};
  bool started = false;
  if (programPath[0] == '\0' || !ComposeCommandLine(commandLine, programPath, parameters)) {
    SystemErrorText(kPathDoesNotFit);  // an empty path is one that did not fit
  } else {
    win::StartupInfoA startup{};
    startup.cb = sizeof startup;
    started = win::CreateProcessA(programPath, commandLine, nullptr, nullptr, 1, 0, nullptr, nullptr, &startup,
                                  &process) != 0;
    if (!started) TakeLastError();
  }
  if (!started) {
    ShowWarning(kStartFailed, programPath, "<NULL>", parameters, Shell.LastErrorText);
    return false;
  }
  // Nothing waits for the started program, so its handles are not kept.
  win::CloseHandle(process.hProcess);
  win::CloseHandle(process.hThread);
  return true;
}
