// libFuzzer target: FormatText, ExpandControlChars and SystemErrorText with
// arbitrary formats, arguments, codes and destination sizes, under
// AddressSanitizer and UndefinedBehaviorSanitizer.  Destinations are heap
// blocks of exactly the given size, so a byte written past the end stops
// the run.
//
// Input: byte 0 chooses the function, bytes 1..2 the destination size
// (1..4096), the rest is the text.  A format may hold only conversions of
// %s, %d, %u, %x and %c (flags "-#0", width and precision up to four
// digits each), at most kMaxConversions of them; any other '%' is made a
// '_' before the call, so the harness always hands over exactly as many
// arguments as the format reads.  String arguments are taken from the end
// of the input, numbers from its first bytes.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim.h"
#include "shell/shell_state.h"
#include "shell/texts.h"

namespace {

constexpr int kMaxConversions = 6;

[[noreturn]] void Broken(const char* what) {
  std::fprintf(stderr, "texts fuzz: %s\n", what);
  std::abort();
}

// Makes format hold only the conversions named above; returns their types.
std::string SanitizeFormat(std::string& format) {
  std::string types;
  size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      i += 2;
      continue;
    }
    size_t p = i + 1;
    if (p < format.size() && format[p] == '-') ++p;
    if (p < format.size() && format[p] == '#') ++p;
    if (p < format.size() && format[p] == '0') ++p;
    size_t digits = 0;
    while (p < format.size() && format[p] >= '0' && format[p] <= '9') ++p, ++digits;
    bool ok = digits <= 4;
    if (p < format.size() && format[p] == '.') {
      ++p;
      digits = 0;
      while (p < format.size() && format[p] >= '0' && format[p] <= '9') ++p, ++digits;
      ok = ok && digits <= 4;
    }
    char type = p < format.size() ? format[p] : '\0';
    ok =
        ok && std::strchr("sducx", type) != nullptr && type != '\0' && static_cast<int>(types.size()) < kMaxConversions;
    if (ok) {
      types += type;
      i = p + 1;
    } else {
      format[i] = '_';
      ++i;
    }
  }
  return types;
}

struct Arguments {
  std::vector<std::string> texts;  // kept alive for the call
  std::vector<int> numbers;
};

// Calls FormatText with one typed argument per conversion, the type each
// conversion reads: a char pointer for %s, an int for the others.
template <typename... Args>
void CallWithArguments(char* destination, int size, const char* format, const std::string& types, size_t next,
                       const Arguments& values, Args... args) {
  if constexpr (sizeof...(Args) < kMaxConversions) {
    if (next < types.size()) {
      if (types[next] == 's')
        CallWithArguments(destination, size, format, types, next + 1, values, args..., values.texts[next].c_str());
      else
        CallWithArguments(destination, size, format, types, next + 1, values, args..., values.numbers[next]);
      return;
    }
  }
  FormatInto(destination, size, format, args...);
}

void CheckTerminated(const char* text, int size, const char* what) {
  if (std::memchr(text, '\0', static_cast<size_t>(size)) == nullptr) Broken(what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  int mode = data[0] % 4;
  int destinationSize = 1 + ((data[1] | (data[2] << 8)) % 4096);
  std::string text;
  for (size_t i = 3; i < size; ++i)
    if (data[i] != 0) text += static_cast<char>(data[i]);

  std::vector<char> destination(static_cast<size_t>(destinationSize), '\x7F');
  switch (mode) {
    case 0: {  // an arbitrary format with matching arguments
      std::string types = SanitizeFormat(text);
      Arguments values;
      for (size_t k = 0; k < types.size(); ++k) {
        // Numbers from the input's first bytes, texts from pieces of it.
        uint32_t number = 0;
        for (size_t b = 0; b < 4; ++b) number = (number << 8) | data[(3 + 4 * k + b) % size];
        values.numbers.push_back(static_cast<int>(number));
        size_t from = (size * (k + 1)) / (types.size() + 1);
        std::string piece;
        for (size_t i = from; i < size && piece.size() < 2000; ++i)
          if (data[i] != 0) piece += static_cast<char>(data[i]);
        values.texts.push_back(piece);
      }
      CallWithArguments(destination.data(), destinationSize, text.c_str(), types, 0, values);
      CheckTerminated(destination.data(), destinationSize, "FormatText result without terminator");
      if (destinationSize > 1 && destination[0] == '\0' && !text.empty() && text.find('%') == std::string::npos)
        Broken("FormatText lost a text without conversions");
      break;
    }
    case 1: {  // a ready-made text through "%s"
      FormatInto(destination.data(), destinationSize, "%s", text.c_str());
      CheckTerminated(destination.data(), destinationSize, "%s result without terminator");
      size_t kept = std::strlen(destination.data());
      if (text.size() <= 1023 && kept != std::min(text.size(), static_cast<size_t>(destinationSize - 1)) &&
          !text.empty())
        Broken("%s did not keep the text up to the destination's end");
      if (!text.empty() && std::strncmp(destination.data(), text.c_str(), kept) != 0) Broken("%s changed the text");
      break;
    }
    case 2: {
      ExpandControlChars(destination.data(), destinationSize, text.c_str());
      CheckTerminated(destination.data(), destinationSize, "ExpandControlChars result without terminator");
      for (const char* p = destination.data(); *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x20 && c != '\r' && c != '\n') Broken("control character left");
      }
      break;
    }
    default: {
      uint32_t code = 0;
      for (size_t b = 0; b < 4; ++b) code = (code << 8) | data[(1 + b) % size];
      sim::ResetMachine();
      Shell = ShellState{};
      std::memset(Shell.LastErrorText, 'x', sizeof Shell.LastErrorText);
      SystemErrorText(code);
      CheckTerminated(Shell.LastErrorText, kLastErrorTextSize, "LastErrorText without terminator");
      if (std::strncmp(Shell.LastErrorText, "Fehlercode ", 11) != 0) Broken("error text without its code line");
      break;
    }
  }
  return 0;
}
