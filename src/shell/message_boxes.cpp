#include "shell/message_boxes.h"

#include <cstdarg>

#include "shell/shell_state.h"
#include "shell/texts.h"

namespace {

int ShowFormatted(const char* caption, uint32_t type, const char* format, va_list arguments) {
  char work[kMessageWorkSize];
  FormatText(work, kMessageWorkSize, format, arguments);
  ExpandControlChars(Shell.MessageBoxText, kMessageBoxTextSize, work);
  return ShowMessageBox(Shell.MessageBoxText, caption, type);
}

}  // namespace

int ShowMessageBox(const char* text, const char* caption, uint32_t type) {
  return win::MessageBoxA(Shell.MainWindow, text, caption, type);
}

int ShowInfo(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = ShowFormatted(Shell.ProgramName, win::kMbOk | win::kMbIconInformation, format, arguments);
  va_end(arguments);
  return result;
}

int AskYesNo(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = ShowFormatted(Shell.ProgramName, win::kMbYesNo | win::kMbIconQuestion, format, arguments);
  va_end(arguments);
  return result;
}

int ShowWarning(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = ShowFormatted(Shell.ProgramName, win::kMbOk | win::kMbIconExclamation, format, arguments);
  va_end(arguments);
  return result;
}

int ShowWarningTitled(const char* caption, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = ShowFormatted(caption, win::kMbOk | win::kMbIconExclamation, format, arguments);
  va_end(arguments);
  return result;
}
