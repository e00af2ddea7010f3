// kernel32's FormatMessageA as the program asks it for the text of a system
// error: from the system, into a buffer it allocates, in the user's default
// language, with no arguments.
#include <cstring>
#include <string>

#include "conformance/conformance_helpers.h"

namespace conformance {
namespace {

const win::Dword kSystemTextFlags = win::kFormatMessageFromSystem | win::kFormatMessageAllocateBuffer;  // 0x1100

struct Asked {
  win::Dword result;
  win::Dword error;
  char* text;
};

// One request as the program makes it; text stays at a sentinel when the
// call does not set it.
Asked AskSystemText(win::Dword code, win::Dword flags = kSystemTextFlags) {
  Asked asked;
  asked.text = reinterpret_cast<char*>(static_cast<uintptr_t>(0x5A5A5A5A));
  win::SetLastError(kUntouchedError);
  asked.result = win::FormatMessageA(flags, nullptr, code, win::kLangUserDefault, reinterpret_cast<char*>(&asked.text),
                                     0, nullptr);
  asked.error = win::GetLastError();
  return asked;
}

class SystemMessageTest : public ConformanceTest {};

struct KnownCode {
  win::Dword code;
  const char* german;  // the text of a German Windows
};
const KnownCode kKnownCodes[] = {
    {2, "Das System kann die angegebene Datei nicht finden.\r\n"},
    {3, "Das System kann den angegebenen Pfad nicht finden.\r\n"},
    {5, "Zugriff verweigert\r\n"},
    {32, "Der Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet wird.\r\n"},
    {145, "Das Verzeichnis ist nicht leer.\r\n"},
};

TEST_F(SystemMessageTest, KnownCodeGivesTextEndingInCrLf) {
  for (const KnownCode& c : kKnownCodes) {
    SCOPED_TRACE("code " + std::to_string(c.code));
    Asked asked = AskSystemText(c.code);
    ASSERT_NE(0u, asked.result) << "error " << asked.error;
    ASSERT_NE(nullptr, asked.text);
    size_t length = std::strlen(asked.text);
    EXPECT_EQ(asked.result, length) << "the result counts the characters without the terminator";
    ASSERT_GE(length, 3u);
    EXPECT_EQ(0, std::strcmp(asked.text + length - 2, "\r\n")) << Quoted(asked.text, length);
    if (OnWine())
      NoteWineDifference("code " + std::to_string(c.code) + ": Wine's own text " + Quoted(asked.text, length));
    else
      EXPECT_EQ(Quoted(std::string(c.german)), Quoted(asked.text, length));
    EXPECT_EQ(nullptr, win::LocalFree(asked.text)) << "LocalFree returns null when it released the block";
  }
}

TEST_F(SystemMessageTest, UnknownCodeGivesNoTextAndError) {
  const win::Dword unknownCodes[] = {0x20001234, 65536, 0xFFFFFFFF};
  for (win::Dword code : unknownCodes) {
    SCOPED_TRACE("code " + std::to_string(code));
    Asked asked = AskSystemText(code);
    EXPECT_EQ(0u, asked.result);
    EXPECT_EQ(static_cast<win::Dword>(win::kErrorMrMidNotFound), asked.error);
    EXPECT_EQ(nullptr, asked.text) << "a failed call hands back a null buffer";
  }
}

// Error 193 reads "%1 is not a valid Win32 application": asked for with no
// arguments and without FORMAT_MESSAGE_IGNORE_INSERTS, Windows refuses to
// format it rather than read arguments that are not there.
TEST_F(SystemMessageTest, TextWithInsertAndNoArgumentsIsRefused) {
  Asked asked = AskSystemText(win::kErrorBadExeFormat);
  EXPECT_EQ(0u, asked.result) << "text " << (asked.result ? Quoted(asked.text, asked.result) : std::string());
  EXPECT_EQ(static_cast<win::Dword>(win::kErrorInvalidParameter), asked.error);
  EXPECT_EQ(nullptr, asked.text) << "a failed call hands back a null buffer";
  if (asked.result != 0) win::LocalFree(asked.text);
}

// With IGNORE_INSERTS the same text comes back with "%1" as it stands.
TEST_F(SystemMessageTest, TextWithInsertIsKeptWhenInsertsAreIgnored) {
  Asked asked = AskSystemText(win::kErrorBadExeFormat, kSystemTextFlags | win::kFormatMessageIgnoreInserts);
  ASSERT_NE(0u, asked.result) << "error " << asked.error;
  std::string text(asked.text, asked.result);
  EXPECT_NE(std::string::npos, text.find("%1")) << Quoted(text);
  EXPECT_EQ(nullptr, win::LocalFree(asked.text));
}

}  // namespace
}  // namespace conformance
