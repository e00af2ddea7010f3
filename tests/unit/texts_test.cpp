#include "shell/texts.h"

#include <cstring>
#include <string>

#include "test_process.h"

namespace {

std::string Format(int size, const char* format, ...) {
  std::string buffer(size + 16, '#');  // guard bytes after the destination
  va_list arguments;
  va_start(arguments, format);
  FormatText(&buffer[0], size, format, arguments);
  va_end(arguments);
  for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#') << "written past the end at " << i;
  return std::string(buffer.c_str());
}

TEST_F(SimTest, FormatTextWithoutPercentIsCopiedUnchangedBeyondTheFormatterLimit) {
  std::string text(3000, 'a');
  EXPECT_EQ(Format(kMessageWorkSize, text.c_str()), text);
}

TEST_F(SimTest, FormatTextWithAConversionIsCutAt1023Characters) {
  std::string argument(3000, 'b');
  EXPECT_EQ(Format(kMessageWorkSize, "x%s", argument.c_str()), "x" + std::string(1022, 'b'));
}

TEST_F(SimTest, FormatTextOfAnEmptyResultGivesTheFormatItself) { EXPECT_EQ(Format(100, "%s", ""), "%s"); }

// The status line holds 500 characters: a longer result is cut there with
// its terminator, whichever way it was made.
TEST_F(SimTest, FormatTextCutsToTheDestination) {
  std::string path(900, 'p');
  EXPECT_EQ(Format(kStatusTextSize, "Lösche %s ...", path.c_str()).size(), 500u);
  EXPECT_EQ(Format(kStatusTextSize, std::string(900, 'q').c_str()), std::string(500, 'q'));
  EXPECT_EQ(Format(1, "abc"), "");
}

struct ErrorCase {
  unsigned long code;
  const char* expected;
};

TEST_F(SimTest, SystemErrorTextWritesTheCodeLineAndTheSystemText) {
  const ErrorCase cases[] = {
      {5, "Fehlercode 5:\nZugriff verweigert\r\n"},
      {2, "Fehlercode 2:\nDas System kann die angegebene Datei nicht finden.\r\n"},
      {65535, "Fehlercode 65535"},
      {65536, "Fehlercode 00010000"},
      {0xFFFFFFFFul, "Fehlercode -1"},
      {static_cast<unsigned long>(static_cast<uint32_t>(-65534)), "Fehlercode -65534"},
      {static_cast<unsigned long>(static_cast<uint32_t>(-65535)), "Fehlercode FFFF0001"},
      {0x80070005ul, "Fehlercode 80070005"},
      // A system text with an insert cannot be formatted without arguments:
      // the code line stands alone.
      {193, "Fehlercode 193"},
  };
  for (const ErrorCase& c : cases) {
    std::strcpy(Shell.LastErrorText, "old");
    SystemErrorText(c.code);
    EXPECT_STREQ(Shell.LastErrorText, c.expected) << c.code;
  }
}

TEST_F(SimTest, TakeLastErrorReadsTheThreadsLastError) {
  win::SetLastError(3);
  TakeLastError();
  EXPECT_STREQ(Shell.LastErrorText, "Fehlercode 3:\nDas System kann den angegebenen Pfad nicht finden.\r\n");
}

struct ExpandCase {
  const char* name;
  std::string source;
  std::string expected;
};

TEST_F(SimTest, ExpandControlCharsBreaksLinesAtControlCharacters) {
  const ExpandCase cases[] = {
      {"tab", "a\tb", "a\r\nb"},
      {"lf stays", "a\nb", "a\nb"},
      {"cr stays", "a\rb", "a\rb"},
      {"other controls", "\x01\x1F", "\r\n\r\n"},
      {"del and high bytes", "\x7F\xFC\x80", "\x7F\xFC\x80"},
      {"empty", "", ""},
  };
  for (const ExpandCase& c : cases) {
    char out[64];
    ExpandControlChars(out, sizeof out, c.source.c_str());
    EXPECT_EQ(std::string(out), c.expected) << c.name;
  }
}

TEST_F(SimTest, ExpandControlCharsNeverSplitsALineBreakOrOverruns) {
  char out[6 + 4];
  std::memset(out, '#', sizeof out);
  ExpandControlChars(out, 6, "ab\t\tcd");
  EXPECT_STREQ(out, "ab\r\n");  // a third pair would not leave room for the terminator
  for (size_t i = 6; i < sizeof out; ++i) EXPECT_EQ(out[i], '#');
}

}  // namespace
