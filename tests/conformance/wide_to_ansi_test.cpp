// kernel32's WideCharToMultiByte as the program converts its command line:
// the ANSI code page, WC_COMPOSITECHECK, no default character of its own.
#include <cstring>
#include <string>

#include "conformance/conformance_helpers.h"

namespace conformance {
namespace {

struct Converted {
  int result;
  win::Dword error;
  win::Bool usedDefault;
};

Converted ToAnsi(const char16_t* text, int textLength, char* output, int capacity) {
  Converted converted;
  converted.usedDefault = 0x5A5A;
  win::SetLastError(kUntouchedError);
  converted.result = win::WideCharToMultiByte(win::kCpAcp, win::kWcCompositeCheck, text, textLength, output, capacity,
                                              nullptr, &converted.usedDefault);
  converted.error = win::GetLastError();
  return converted;
}

class WideToAnsiTest : public ConformanceTest {};

// Converts a short text whole (terminator included) and checks the bytes and
// whether the default character was used.
void ExpectConverted(const char16_t* text, const char* expectedText, bool usedDefault) {
  GuardedBuffer buffer(16);
  Converted converted = ToAnsi(text, -1, buffer.data(), 16);
  std::string expected(expectedText);
  SCOPED_TRACE(Quoted(std::u16string(text)));
  ASSERT_EQ(static_cast<int>(expected.size() + 1), converted.result) << "error " << converted.error;
  EXPECT_EQ(Quoted(expected), Quoted(buffer.data(), strnlen(buffer.data(), 16)));
  EXPECT_EQ(usedDefault, converted.usedDefault != 0);
}

// The program's German texts and the tests' expectations are code page 1252;
// under Wine that takes LC_ALL=de_DE.UTF-8.
TEST_F(WideToAnsiTest, AnsiCodePageIsWindows1252) {
  struct {
    const char16_t* text;
    const char* expected;
  } const cases[] = {
      {u"\u00FC", "\xFC"},  // ü
      {u"\u00C4\u00D6\u00DC\u00E4\u00F6\u00DF", "\xC4\xD6\xDC\xE4\xF6\xDF"},
      {u"\u20AC", "\x80"},  // the euro sign: 1252, not Latin-1
      {u"\u201E\u201C", "\x84\x93"},
  };
  for (const auto& c : cases) {
    GuardedBuffer buffer(16);
    Converted converted = ToAnsi(c.text, -1, buffer.data(), 16);
    std::string expected(c.expected);
    ASSERT_EQ(static_cast<int>(expected.size() + 1), converted.result)
        << "error " << converted.error << " for " << Quoted(std::u16string(c.text));
    EXPECT_EQ(Quoted(expected), Quoted(buffer.data(), expected.size()))
        << "the ANSI code page is not 1252 (run Wine with LC_ALL=de_DE.UTF-8)";
    EXPECT_EQ(0, converted.usedDefault);
  }
}

TEST_F(WideToAnsiTest, WholeTextCountIncludesTheTerminator) {
  GuardedBuffer buffer(16);
  Converted converted = ToAnsi(u"d0010407", -1, buffer.data(), 16);
  EXPECT_EQ(9, converted.result);
  EXPECT_STREQ("d0010407", buffer.data());
  EXPECT_EQ(-1, buffer.FirstWrittenFrom(9)) << "written past the terminator";
  EXPECT_EQ(0, converted.usedDefault);
}

TEST_F(WideToAnsiTest, CountedTextGetsNoTerminator) {
  GuardedBuffer buffer(16);
  Converted converted = ToAnsi(u"abcdef", 3, buffer.data(), 16);
  EXPECT_EQ(3, converted.result);
  EXPECT_EQ(0, std::memcmp(buffer.data(), "abc", 3));
  EXPECT_EQ(-1, buffer.FirstWrittenFrom(3)) << "written past the third byte";
}

TEST_F(WideToAnsiTest, NoOutputBufferAsksForTheSize) {
  Converted converted = ToAnsi(u"Tastatur", -1, nullptr, 0);
  EXPECT_EQ(9, converted.result) << "error " << converted.error;
}

// Characters that code page 1252 lacks become its default character '?'.
TEST_F(WideToAnsiTest, MissingCharacterBecomesQuestionMark) {
  struct {
    const char16_t* text;
    const char* expected;
  } const cases[] = {
      {u"\u4E2D", "?"},
      {u"a\u4E2Db", "a?b"},
      {u"\u0416\u00FC", "?\xFC"},
      {u"\U0001F600", "??"},  // each half of a surrogate pair on its own
  };
  for (const auto& c : cases) ExpectConverted(c.text, c.expected, true);
}

// Windows' best fit: a character the code page lacks but has a look-alike
// for converts to the look-alike, and that is not the default character.
// Fullwidth digits and letters become ASCII, so such an argument reads as
// ASCII to the program.
TEST_F(WideToAnsiTest, MissingCharacterWithLookAlikeTakesIt) {
  struct {
    const char16_t* text;
    const char* expected;
  } const cases[] = {
      {u"\u0100\u0101\u0141\u0142", "AaLl"},
      {u"\u2212", "-"},
      {u"\u0308", "\xA8"},  // a combining mark alone: its spacing form
      {u"\uFF44\uFF10\uFF10\uFF11\uFF10\uFF14\uFF10\uFF17", "d0010407"},
  };
  for (const auto& c : cases) ExpectConverted(c.text, c.expected, false);
}

// WC_COMPOSITECHECK: a letter and a combining mark convert as their
// precomposed character when the code page has it (or a look-alike), else
// one after the other.
TEST_F(WideToAnsiTest, LetterAndCombiningMarkConvertAsOneCharacter) {
  struct {
    const char16_t* text;
    const char* expected;
  } const cases[] = {
      {u"u\u0308", "\xFC"},  {u"Mu\u0308nchen", "M\xFCnchen"},
      {u"A\u030A", "\xC5"},  {u"A\u0304", "A"},  // A with macron, then its best fit
      {u"q\u0308", "q\xA8"},
  };
  for (const auto& c : cases) ExpectConverted(c.text, c.expected, false);
}

// The program converts each argument into 259 bytes (its 260-byte entry less
// one): what does not fit fails as a whole.
TEST_F(WideToAnsiTest, TextThatDoesNotFitFailsWithInsufficientBuffer) {
  struct {
    size_t characters;
    int capacity;
  } const cases[] = {
      {3, 4},                  // fits exactly: 3 characters and the terminator
      {3, 3},                  // one byte short
      {3, 1},     {258, 259},  // the longest argument the program keeps
      {259, 259},              // one longer
      {300, 259},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.characters) + " characters into " + std::to_string(c.capacity) + " bytes");
    std::u16string text(c.characters, u'k');
    GuardedBuffer buffer(static_cast<size_t>(c.capacity));
    Converted converted = ToAnsi(text.c_str(), -1, buffer.data(), c.capacity);
    bool fits = c.characters + 1 <= static_cast<size_t>(c.capacity);
    if (fits) {
      EXPECT_EQ(static_cast<int>(c.characters + 1), converted.result) << "error " << converted.error;
      EXPECT_EQ(c.characters, strnlen(buffer.data(), c.capacity));
    } else {
      EXPECT_EQ(0, converted.result);
      EXPECT_EQ(static_cast<win::Dword>(win::kErrorInsufficientBuffer), converted.error);
    }
    EXPECT_TRUE(buffer.GuardsIntact()) << "written past the capacity at offset " << buffer.FirstWrittenFrom(c.capacity);
  }
}

}  // namespace
}  // namespace conformance
