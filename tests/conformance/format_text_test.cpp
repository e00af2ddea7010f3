// user32's wvsprintfA: the formatter behind every text the program shows.
#include <climits>
#include <cstdarg>
#include <cstring>
#include <string>

#include "conformance/conformance_helpers.h"

namespace conformance {
namespace {

const size_t kFormatterLimit = 1024;  // bytes wvsprintfA writes at most, terminator included

// wvsprintfA takes its arguments as a va_list, as the program hands them on.
int Format(char* output, const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  int result = win::wvsprintfA(output, format, arguments);
  va_end(arguments);
  return result;
}

// Checks a result that fits: the text, its length as the result, the
// terminator, and nothing written after it.
void ExpectFormatted(const GuardedBuffer& buffer, const char* output, int result, const std::string& expected,
                     const std::string& what) {
  SCOPED_TRACE(what);
  EXPECT_EQ(static_cast<int>(expected.size()), result);
  size_t length = std::strlen(output);
  EXPECT_EQ(Quoted(expected), Quoted(output, length));
  EXPECT_EQ(-1, buffer.FirstWrittenFrom(expected.size() + 1)) << "written past the terminator";
  EXPECT_TRUE(buffer.GuardsIntact());
}

class FormatTextTest : public ConformanceTest {};

struct NumberCase {
  const char* format;
  int value;
  const char* expected;
};
const NumberCase kNumberCases[] = {
    {"%d", 0, "0"},
    {"%d", 5, "5"},
    {"%d", -1, "-1"},
    {"%d", INT_MIN, "-2147483648"},
    {"%d", 65535, "65535"},
    {"%ld", -65534, "-65534"},
    {"%i", 12, "12"},
    {"Fehlercode %d", 5, "Fehlercode 5"},
    {"%u", -1, "4294967295"},
    {"%x", 0xABCDEF, "abcdef"},
    {"%X", 0xABCDEF, "ABCDEF"},
    {"%lx", -1, "ffffffff"},
    {"%08lX", 0x10000, "00010000"},
    {"%08lX", -65535, "FFFF0001"},
    {"%08lX", 0x12345678, "12345678"},
    {"Fehlercode %08lX", 0x20001234, "Fehlercode 20001234"},
    {"%03lx", 1, "001"},
    {"%03lx", 0x1234, "1234"},
    {"d%03lx0407", 2, "d0020407"},
    {"%5d", 42, "   42"},
    {"%5d", -42, "  -42"},
    {"%-5d|", 42, "42   |"},
    {"%05d", -42, "-0042"},
    {"%-05d|", 42, "42   |"},  // left alignment wins over zero padding
    {"%.3d", 5, "005"},
    {"%.3d", -5, "-05"},  // the precision counts the sign
    {"%#x", 31, "0x1f"},
    {"%#X", 31, "0X1F"},
    {"%c", 'A', "A"},
    {"%c", 0xFC, "\xFC"},
    {"%3c|", 'z', "  z|"},
    {"%-3c|", 'z', "z  |"},
};

TEST_F(FormatTextTest, FormatsOneNumber) {
  for (const NumberCase& c : kNumberCases) {
    GuardedBuffer buffer(kFormatterLimit);
    int result = Format(buffer.data(), c.format, c.value);
    ExpectFormatted(buffer, buffer.data(), result, c.expected,
                    std::string("format ") + Quoted(std::string(c.format)) + " with " + std::to_string(c.value));
  }
}

struct TextCase {
  const char* format;
  const char* value;
  const char* expected;
};
const TextCase kTextCases[] = {
    {"%s", "abc", "abc"},
    {"%s", "", ""},
    {"[%s]", "", "[]"},
    {"%s", "Zugriff verweigert\r\n", "Zugriff verweigert\r\n"},
    {"%s", "\xFC\xE4\xF6\xDF\x80", "\xFC\xE4\xF6\xDF\x80"},  // bytes pass unchanged
    {"%s", "a\tb\x01", "a\tb\x01"},
    {"%s", "50%", "50%"},  // a percent sign in an argument is not a conversion
    {"%5s", "abc", "  abc"},
    {"%-5s|", "abc", "abc  |"},
    {"%.2s", "abc", "ab"},
    {"%5.2s", "abc", "   ab"},
    {"%.5s", "abc", "abc"},
    {"%hs", "abc", "abc"},
    {"%s", nullptr, "(null)"},
    {"Die Datei %s fehlt.", "C:\\WINDOWS\\system32\\kbdtsm.dll", "Die Datei C:\\WINDOWS\\system32\\kbdtsm.dll fehlt."},
};

TEST_F(FormatTextTest, FormatsOneText) {
  for (const TextCase& c : kTextCases) {
    GuardedBuffer buffer(kFormatterLimit);
    int result = Format(buffer.data(), c.format, c.value);
    ExpectFormatted(buffer, buffer.data(), result, c.expected,
                    std::string("format ") + Quoted(std::string(c.format)) + " with " +
                        (c.value ? Quoted(std::string(c.value)) : std::string("null")));
  }
}

TEST_F(FormatTextTest, FormatsSeveralArguments) {
  GuardedBuffer buffer(kFormatterLimit);
  int result = Format(buffer.data(), "%s: %d/%u %08lX %c%s", "Datei", -3, 7u, 0xBEEFu, 'x', "!");
  ExpectFormatted(buffer, buffer.data(), result, "Datei: -3/7 0000BEEF x!", "mixed conversions");
}

struct PlainCase {
  const char* format;
  const char* expected;
};
// Formats that take no argument: the argument after them proves that none
// was read (it appears where the first conversion that takes one stands).
const PlainCase kPlainCases[] = {
    {"ohne Prozent", "ohne Prozent"},
    {"100%% sicher", "100% sicher"},
    {"%%%%", "%%"},
    {"%%d", "%d"},
    {"%y%d", "y7"},  // an unknown conversion prints its letter and takes no argument
    {"%", ""},
    {"abc%", "abc"},
};

TEST_F(FormatTextTest, FormatsWithoutArguments) {
  for (const PlainCase& c : kPlainCases) {
    GuardedBuffer buffer(kFormatterLimit);
    int result = Format(buffer.data(), c.format, 7);
    ExpectFormatted(buffer, buffer.data(), result, c.expected, std::string("format ") + Quoted(std::string(c.format)));
  }
}

// The output stops at 1,024 bytes including the terminator, whatever its
// source; nothing is written past the 1,024th byte.
struct CutCase {
  const char* name;
  size_t literalLength;   // 'a's written before the conversion
  const char* format;     // after the 'a's
  size_t argumentLength;  // 'x's in the %s argument
  int number;             // argument of a %d
  std::string expected;
  int expectedResult;
};

TEST_F(FormatTextTest, CutsAt1024BytesIncludingTheTerminator) {
  const std::string full(kFormatterLimit - 1, 'x');
  // Wine reports 1,024 for an output that filled all 1,023 characters,
  // whether or not anything was cut.
  const CutCase cases[] = {
      {"long argument", 0, "%s", 2000, 0, full, 1024},
      {"argument of exactly 1,023", 0, "%s", 1023, 0, full, 1024},
      {"argument of 1,022", 0, "%s", 1022, 0, std::string(1022, 'x'), 1022},
      {"long literal", 2000, "", 0, 0, std::string(1023, 'a'), 1024},
      {"literal then text", 1000, "%s", 100, 0, std::string(1000, 'a') + std::string(23, 'x'), 1024},
      {"literal then number", 1020, "%d", 0, 123456, std::string(1020, 'a') + "123", 1024},
      {"literal then percent", 1023, "%%", 0, 0, std::string(1023, 'a'), 1024},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string format = std::string(c.literalLength, 'a') + c.format;
    std::string argument(c.argumentLength, 'x');
    GuardedBuffer buffer(kFormatterLimit);
    int result = std::strchr(c.format, 'd') ? Format(buffer.data(), format.c_str(), c.number)
                                            : Format(buffer.data(), format.c_str(), argument.c_str());
    size_t length = strnlen(buffer.data(), kFormatterLimit);
    EXPECT_EQ(c.expected.size(), length) << "the text is not terminated where expected";
    EXPECT_EQ(0, std::memcmp(buffer.data(), c.expected.data(), c.expected.size()));
    EXPECT_EQ(c.expectedResult, result);
    EXPECT_TRUE(buffer.GuardsIntact()) << "written past byte 1,024 at offset "
                                       << buffer.FirstWrittenFrom(kFormatterLimit);
  }
}

}  // namespace
}  // namespace conformance
