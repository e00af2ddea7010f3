#include "shell/environment.h"

#include <cstring>
#include <string>
#include <vector>

#include "test_process.h"

namespace {

const char kModule[] = "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe";

std::vector<std::string> StoredArgs() {
  std::vector<std::string> args;
  for (int i = 0; i < Shell.ArgCount; ++i) args.emplace_back(Shell.CommandLineArgs[i]);
  return args;
}

struct SplitCase {
  const char* name;
  std::u16string commandLine;
  int argCount;
  std::vector<std::string> args;
};

class CommandLineSplit : public SimTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(CommandLineSplit, GivesTheArgumentsInOrder) {
  const SplitCase& c = GetParam();
  StartSimProcess(kModule, c.commandLine);
  CaptureEnvironment();
  EXPECT_EQ(Shell.ArgCount, c.argCount);
  EXPECT_EQ(StoredArgs(), c.args);
  // Entries beyond the count stay empty.
  for (int i = Shell.ArgCount < 0 ? 0 : Shell.ArgCount; i < kMaxArgs; ++i)
    EXPECT_STREQ(Shell.CommandLineArgs[i], "") << "entry " << i;
}

const std::u16string kQuotedProgram = u"\"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe\"";

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineSplit,
    ::testing::Values(SplitCase{"QuotedProgramAndKey", kQuotedProgram + u" d0010407", 1, {"d0010407"}},
                      SplitCase{"ProgramOnly", kQuotedProgram, 0, {}}, SplitCase{"EmptyCommandLine", u"", -1, {}},
                      SplitCase{"RunsOfBlanksMakeNoEmptyArguments", u"prog  a   b  ", 2, {"a", "b"}},
                      SplitCase{"TwoQuotesFormAnEmptyArgument", u"prog \"\" x", 2, {"", "x"}},
                      SplitCase{"QuotedTokenEndsAtItsClosingQuote", u"prog \"a b\"c", 2, {"a b", "c"}},
                      SplitCase{"QuoteInsideUnquotedTokenIsOrdinary", u"prog a\"b c", 2, {"a\"b", "c"}},
                      SplitCase{"UnclosedQuoteRunsToTheEnd", u"prog \"a b", 1, {"a b"}},
                      SplitCase{"TabStaysInsideToken", u"prog a\tb", 1, {"a\tb"}},
                      SplitCase{"LeadingBlankGivesAnEmptyProgramToken", u" a b", 2, {"a", "b"}},
                      SplitCase{"Latin1BecomesCodePage1252", u"prog \u00fc\u00e4\u20ac", 1, {"\xFC\xE4\x80"}},
                      SplitCase{"MissingCharacterBecomesQuestionMark", u"prog a\u4e2db", 1, {"a?b"}}),
    [](const ::testing::TestParamInfo<SplitCase>& p) { return p.param.name; });

TEST_F(SimTest, MoreThanThirtyArgumentsKeepTheFirstThirty) {
  std::u16string line = u"prog";
  for (int i = 0; i < 40; ++i) line += u" a" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
  StartSimProcess(kModule, line);
  CaptureEnvironment();
  EXPECT_EQ(Shell.ArgCount, 30);
  EXPECT_STREQ(Shell.CommandLineArgs[0], "aA");
  EXPECT_STREQ(Shell.CommandLineArgs[29], "aD");
}

// 258 bytes fit the 259 bytes WideToAnsi allows, 259 do not; a token longer
// than its 260-character entry is stored empty rather than cut into another.
TEST_F(SimTest, LongArgumentsAreStoredWholeOrEmpty) {
  struct {
    size_t length;
    bool kept;
  } cases[] = {{258, true}, {259, false}, {260, false}, {5000, false}};
  for (const auto& c : cases) {
    std::u16string token(c.length, u'x');
    StartSimProcess(kModule, u"prog " + token + u" next");
    CaptureEnvironment();
    ASSERT_EQ(Shell.ArgCount, 2) << c.length;
    EXPECT_EQ(std::string(Shell.CommandLineArgs[0]), c.kept ? std::string(c.length, 'x') : "") << c.length;
    EXPECT_STREQ(Shell.CommandLineArgs[1], "next") << c.length;
  }
}

struct NameCase {
  const char* module;
  const char* programName;
};

TEST_F(SimTest, ProgramNameIsTheModuleFileNameWithoutExtension) {
  const NameCase cases[] = {
      {"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", "Uninstall_Oskaldrv"},
      {"C:\\x\\a.b.exe", "a.b"},
      {"C:\\x\\.exe", ".exe"},
      {"C:/x/y/prog.exe", "prog"},
      {"D:prog.exe", "prog"},
      {"prog", "prog"},
      {"C:\\dir.with.dots\\prog", "prog"},
  };
  for (const NameCase& c : cases) {
    StartSimProcess(c.module, u"x");
    CaptureEnvironment();
    EXPECT_STREQ(Shell.ProgramName, c.programName) << c.module;
  }
}

TEST_F(SimTest, WideToAnsiCountsTheTerminatorAndLeavesEmptyOnFailure) {
  char buffer[8];
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(WideToAnsi(buffer, u"abc", sizeof buffer), 4);
  EXPECT_STREQ(buffer, "abc");
  // Seven characters and the terminator need 8 bytes; only 7 are offered.
  std::memset(buffer, 'Z', sizeof buffer);
  EXPECT_EQ(WideToAnsi(buffer, u"abcdefg", sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(win::GetLastError(), static_cast<win::Dword>(win::kErrorInsufficientBuffer));
}

}  // namespace
