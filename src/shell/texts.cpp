#include "shell/texts.h"

#include <cstring>

#include "platform/windows_api.h"
#include "shell/shell_state.h"

namespace {

constexpr int kFormatterLimit = 1024;  // wvsprintfA writes at most this much

// Formats into a buffer of the formatter's own size, so that a destination
// smaller than 1,024 bytes is never written past its end.
void FormatBounded(char* destination, int size, const char* format, ...) {
  char formatted[kFormatterLimit] = {};
  va_list arguments;
  va_start(arguments, format);
  win::wvsprintfA(formatted, format, arguments);
  va_end(arguments);
  formatted[kFormatterLimit - 1] = '\0';
  CopyText(destination, size, formatted);
}

}  // namespace

void FormatText(char* destination, int size, const char* format, va_list arguments) {
  if (size <= 0) return;
  if (std::strchr(format, '%') == nullptr) {
    CopyText(destination, size, format);
    return;
  }
  char formatted[kFormatterLimit] = {};
  win::wvsprintfA(formatted, format, arguments);
  formatted[kFormatterLimit - 1] = '\0';
  CopyText(destination, size, formatted[0] != '\0' ? formatted : format);
}

void SystemErrorText(unsigned long code) {
  char* systemText = nullptr;
  win::Dword length = win::FormatMessageA(win::kFormatMessageFromSystem | win::kFormatMessageAllocateBuffer, nullptr,
                                          static_cast<win::Dword>(code), win::kLangUserDefault,
                                          reinterpret_cast<char*>(&systemText), 0, nullptr);

  int32_t signedCode = static_cast<int32_t>(static_cast<uint32_t>(code));
  if (signedCode >= -65534 && signedCode <= 65535)
    FormatBounded(Shell.LastErrorText, kLastErrorTextSize, "Fehlercode %d", signedCode);
  else
    FormatBounded(Shell.LastErrorText, kLastErrorTextSize, "Fehlercode %08lX", static_cast<uint32_t>(code));

  if (length != 0 && systemText != nullptr) {
    AppendText(Shell.LastErrorText, kLastErrorTextSize, ":\n");
    AppendText(Shell.LastErrorText, kLastErrorTextSize, systemText);
  }
  if (systemText != nullptr) win::LocalFree(systemText);
}

void TakeLastError() { SystemErrorText(win::GetLastError()); }

void ExpandControlChars(char* destination, int size, const char* source) {
  if (size <= 0) return;
  int written = 0;
  for (const char* p = source; *p != '\0'; ++p) {
    unsigned char byte = static_cast<unsigned char>(*p);
    bool expand = byte >= 0x01 && byte <= 0x1F && byte != '\r' && byte != '\n';
    int needed = expand ? 2 : 1;
    if (written + needed > size - 1) break;  // keep room for the terminator
    if (expand) {
      destination[written++] = '\r';
      destination[written++] = '\n';
    } else {
      destination[written++] = static_cast<char>(byte);
    }
  }
  destination[written] = '\0';
}

void FormatInto(char* destination, int size, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  FormatText(destination, size, format, arguments);
  va_end(arguments);
}
