// Texts on the simulated Windows: system error messages, the conversion of
// wide text into code page 1252, and user32's own small formatter.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim/sim_state.h"

namespace {

// The messages of a German Windows for the codes the program reports, in
// code page 1252 as FormatMessageA hands them out.
struct SystemMessage {
  win::Dword code;
  const char* text;
};
const SystemMessage kSystemMessages[] = {
    {0, "Der Vorgang wurde erfolgreich beendet.\r\n"},
    {2, "Das System kann die angegebene Datei nicht finden.\r\n"},
    {3, "Das System kann den angegebenen Pfad nicht finden.\r\n"},
    {5, "Zugriff verweigert\r\n"},
    {6, "Das Handle ist ung\xFCltig.\r\n"},
    {18, "Es sind keine weiteren Dateien vorhanden.\r\n"},
    {32,
     "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird.\r\n"},
    {87, "Falscher Parameter.\r\n"},
    {122, "Der an einen Systemaufruf \xFC"
          "bergebene Datenbereich ist zu klein.\r\n"},
    {123, "Die Syntax f\xFCr den Dateinamen, Verzeichnisnamen oder die Datentr\xE4gerbezeichnung ist falsch.\r\n"},
    {145, "Das Verzeichnis ist nicht leer.\r\n"},
    {193, "%1 ist keine zul\xE4ssige Win32-Anwendung.\r\n"},
    {206, "Der Dateiname oder die Erweiterung ist zu lang.\r\n"},
};

const char* FindSystemMessage(win::Dword code) {
  for (const SystemMessage& m : kSystemMessages)
    if (m.code == code) return m.text;
  return nullptr;
}

bool HasInsert(const char* text) {
  for (const char* p = text; *p; ++p)
    if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') return true;
  return false;
}

// Code page 1252 in its range 0x80 to 0x9F; everything from 0xA0 up is
// Latin-1 and maps to itself.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// The byte for one UTF-16 unit, or -1 when code page 1252 lacks it.
int Cp1252Byte(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == unit) return 0x80 + i;
  return -1;
}

}  // namespace

namespace win {

// The memory FormatMessageA allocates; LocalFree releases it.
Dword FormatMessageA(Dword flags, const void* source, Dword messageId, Dword languageId, char* buffer, Dword size,
                     va_list* arguments) {
  if (!(flags & kFormatMessageFromSystem) || source != nullptr) sim::NotModelled("FormatMessageA without FROM_SYSTEM");
  if (languageId != kLangUserDefault && languageId != 0 && languageId != 0x0407) {
    SetLastError(kErrorResourceLangNotFound);
    return 0;
  }
  const char* text = FindSystemMessage(messageId);
  if (text == nullptr) {
    SetLastError(kErrorMrMidNotFound);
    return 0;
  }
  // An insert with no arguments to fill it cannot be formatted.
  if (!(flags & kFormatMessageIgnoreInserts) && arguments == nullptr && HasInsert(text)) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  size_t length = std::strlen(text);
  if (flags & kFormatMessageAllocateBuffer) {
    char* block = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(block, text, length + 1);
    *reinterpret_cast<char**>(buffer) = block;
    return static_cast<Dword>(length);
  }
  if (length + 1 > size) {
    SetLastError(kErrorInsufficientBuffer);
    return 0;
  }
  std::memcpy(buffer, text, length + 1);
  return static_cast<Dword>(length);
}

HLocal LocalFree(HLocal memory) {
  std::free(memory);
  return nullptr;
}

int WideCharToMultiByte(uint32_t codePage, Dword flags, const WideChar* wideCharStr, int wideCharCount,
                        char* multiByteStr, int multiByteCount, const char* defaultChar, Bool* usedDefaultChar) {
  if (codePage != kCpAcp && codePage != 1252) sim::NotModelled("WideCharToMultiByte for another code page");
  if (wideCharStr == nullptr || wideCharCount == 0 || multiByteCount < 0 ||
      (flags & ~static_cast<Dword>(kWcCompositeCheck)) != 0) {
    SetLastError(kErrorInvalidParameter);
    return 0;
  }
  size_t count = wideCharCount;
  if (wideCharCount < 0) {
    count = 0;
    while (wideCharStr[count] != 0) ++count;
    ++count;  // the terminator is converted too
  }
  char fallback = defaultChar ? *defaultChar : '?';
  bool usedDefault = false;
  int written = 0;
  for (size_t i = 0; i < count; ++i) {
    char16_t unit = wideCharStr[i];
    int byte = Cp1252Byte(unit);
    // A surrogate pair is one character the code page lacks.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < count && wideCharStr[i + 1] >= 0xDC00 &&
        wideCharStr[i + 1] <= 0xDFFF)
      ++i;
    if (byte < 0) {
      byte = static_cast<unsigned char>(fallback);
      usedDefault = true;
    }
    if (multiByteCount != 0) {
      if (written >= multiByteCount) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
      }
      multiByteStr[written] = static_cast<char>(byte);
    }
    ++written;
  }
  if (usedDefaultChar) *usedDefaultChar = usedDefault ? 1 : 0;
  return written;
}

// user32's formatter: %[-][#][0][width][.precision][l|h|w]type with the types
// c C d i s S u x X; "%%" is a percent sign, an unknown type prints itself.
// At most 1,024 bytes are written, terminator included.
int wvsprintfA(char* output, const char* format, va_list arguments) {
  const unsigned kLimit = 1024;
  unsigned room = kLimit;  // bytes left, terminator included
  char* out = output;
  auto put = [&](char c) {
    if (room > 1) {
      *out++ = c;
      --room;
    }
  };
  const char* p = format;
  while (*p && room > 1) {
    if (*p != '%') {
      put(*p++);
      continue;
    }
    ++p;
    if (*p == '%') {
      put(*p++);
      continue;
    }
    bool left = false, prefix = false, zero = false, isLong = false, isShort = false, isWide = false;
    unsigned width = 0, precision = 0;
    if (*p == '-') left = true, ++p;
    if (*p == '#') prefix = true, ++p;
    if (*p == '0') zero = true, ++p;
    while (*p >= '0' && *p <= '9') width = width * 10 + (*p++ - '0');
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') precision = precision * 10 + (*p++ - '0');
    }
    if (*p == 'l') isLong = true, ++p;
    else if (*p == 'h') isShort = true, ++p;
    else if (*p == 'w') isWide = true, ++p;
    char type = *p;
    std::string body;     // the converted text, before padding
    std::string numeric;  // digits of a number, without its sign
    bool negative = false;
    bool isNumber = false;
    switch (type) {
      case 'c':
      case 'C': {
        bool wide = type == 'c' ? isLong : !isShort;
        int value = va_arg(arguments, int);
        body.assign(1, wide ? static_cast<char>(static_cast<char16_t>(value)) : static_cast<char>(value));
        break;
      }
      case 's':
      case 'S': {
        bool wide = type == 's' ? (isLong || isWide) : !(isShort || isWide);
        if (wide) {
          const char16_t* s = va_arg(arguments, const char16_t*);
          if (!s) s = u"(null)";
          for (unsigned n = 0; s[n] && (precision == 0 || n < precision); ++n) body += static_cast<char>(s[n]);
        } else {
          const char* s = va_arg(arguments, const char*);
          if (!s) s = "(null)";
          for (unsigned n = 0; s[n] && (precision == 0 || n < precision); ++n) body += s[n];
        }
        precision = 0;
        break;
      }
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X': {
        int value = va_arg(arguments, int);
        char digits[16];
        if (type == 'd' || type == 'i') {
          std::snprintf(digits, sizeof digits, "%d", value);
          negative = value < 0;
        } else {
          std::snprintf(digits, sizeof digits, type == 'u' ? "%u" : (type == 'X' ? "%X" : "%x"),
                        static_cast<unsigned>(value));
        }
        numeric = digits + (negative ? 1 : 0);
        isNumber = true;
        break;
      }
      default:  // unknown: the type character is printed as it stands
        continue;
    }
    ++p;
    if (isNumber) {
      // Precision is the least number of digits; zero padding fills the width.
      unsigned digitsWanted = precision;
      unsigned signWidth = negative ? 1 : 0;
      if (zero && !left && width > digitsWanted + signWidth) digitsWanted = width - signWidth;
      std::string text;
      if (prefix && (type == 'x' || type == 'X')) text += type == 'X' ? "0X" : "0x";
      if (negative) text += '-';
      for (size_t n = numeric.size(); n < digitsWanted; ++n) text += '0';
      text += numeric;
      body = text;
    }
    if (!left)
      for (size_t n = body.size(); n < width; ++n) put(' ');
    for (char c : body) put(c);
    if (left)
      for (size_t n = body.size(); n < width; ++n) put(' ');
  }
  *out = '\0';
  return static_cast<int>(out - output);
}

}  // namespace win
