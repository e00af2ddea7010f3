// kernel32's view of the running process: the module file name, functions
// looked up at run time (IsWow64Process, SetDefaultDllDirectories), the DLL
// search and the command line a started process sees.
#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

#include "conformance/conformance_helpers.h"

namespace conformance {

// Names a machine in test listings instead of dumping its bytes.
void PrintTo(const Wow64Case& c, std::ostream* out) { *out << c.name; }

namespace {

class ModuleFileNameTest : public ConformanceTest {
 protected:
  // The module's path as a buffer of MAX_PATH gets it.
  std::string FullPath() {
    char path[260];
    win::Dword length = win::GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
  }
};

bool EndsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".exe";
}

TEST_F(ModuleFileNameTest, GivesTheFullPath) {
  GuardedBuffer buffer(260);
  win::SetLastError(kUntouchedError);
  win::Dword length = win::GetModuleFileNameA(nullptr, buffer.data(), 260);
  win::Dword error = win::GetLastError();
  ASSERT_GT(length, 3u) << "error " << error;
  ASSERT_LT(length, 260u);
  std::string path(buffer.data(), length);
  EXPECT_EQ(length, std::strlen(buffer.data())) << "the result counts the characters without the terminator";
  EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\')
      << "not a path with a drive letter: " << Quoted(path);
  EXPECT_TRUE(EndsWithExe(path)) << Quoted(path);
  EXPECT_EQ(static_cast<win::Dword>(win::kErrorSuccess), error) << "since Vista a call that succeeds clears the error";
  EXPECT_EQ(-1, buffer.FirstWrittenFrom(length + 1)) << "written past the terminator";
  EXPECT_TRUE(buffer.GuardsIntact());

  // The process's own instance handle names the same module.
  char again[260];
  win::Dword againLength = win::GetModuleFileNameA(win::GetModuleHandleA(nullptr), again, sizeof again);
  EXPECT_EQ(Quoted(path), Quoted(again, againLength));
}

// Since Windows Vista a path that does not fit is cut to size - 1 characters
// and terminated; the result is the size, the error ERROR_INSUFFICIENT_BUFFER.
// Wine copies size characters and leaves them unterminated.
TEST_F(ModuleFileNameTest, PathThatDoesNotFitIsCutAndTerminated) {
  std::string full = FullPath();
  ASSERT_GT(full.size(), 6u);
  const win::Dword sizes[] = {1, 2, 5, static_cast<win::Dword>(full.size()), static_cast<win::Dword>(full.size() + 1)};
  for (win::Dword size : sizes) {
    SCOPED_TRACE("size " + std::to_string(size) + " for a path of " + std::to_string(full.size()));
    GuardedBuffer buffer(size);
    win::SetLastError(kUntouchedError);
    win::Dword result = win::GetModuleFileNameA(nullptr, buffer.data(), size);
    win::Dword error = win::GetLastError();
    bool fits = full.size() < size;
    std::string expected = fits ? full : full.substr(0, size - 1);
    EXPECT_EQ(fits ? full.size() : size, result);
    std::string got(buffer.data(), strnlen(buffer.data(), size));
    if (!fits && OnWine() && got == full.substr(0, size))
      NoteWineDifference("GetModuleFileNameA into " + std::to_string(size) + " bytes: " + Quoted(got) +
                         " without a terminator");
    else
      EXPECT_EQ(Quoted(expected), Quoted(got));
    EXPECT_EQ(static_cast<win::Dword>(fits ? win::kErrorSuccess : win::kErrorInsufficientBuffer), error);
    EXPECT_TRUE(buffer.GuardsIntact()) << "written past the buffer at offset " << buffer.FirstWrittenFrom(size);
  }
}

TEST_F(ModuleFileNameTest, EmptyBufferGetsNothing) {
  GuardedBuffer buffer(0);
  win::SetLastError(kUntouchedError);
  win::Dword result = win::GetModuleFileNameA(nullptr, buffer.data(), 0);
  win::Dword error = win::GetLastError();
  EXPECT_EQ(0u, result);
  EXPECT_EQ(static_cast<win::Dword>(win::kErrorInsufficientBuffer), error);
  EXPECT_TRUE(buffer.GuardsIntact());
}

// Functions that not every Windows has are looked up in "kernel32".
class RuntimeLookupTest : public ConformanceTest {};

TEST_F(RuntimeLookupTest, MissingFunctionGivesNullAndProcNotFound) {
  win::HInstance kernel32 = win::GetModuleHandleA("kernel32");
  ASSERT_NE(nullptr, kernel32) << "error " << win::GetLastError();
  EXPECT_EQ(kernel32, win::GetModuleHandleA("KERNEL32.DLL")) << "module names are compared without case";
  win::SetLastError(kUntouchedError);
  win::FarProc proc = win::GetProcAddress(kernel32, "NoSuchFunctionInKernel32");
  EXPECT_EQ(nullptr, proc);
  EXPECT_EQ(static_cast<win::Dword>(win::kErrorProcNotFound), win::GetLastError());
}

TEST_F(RuntimeLookupTest, ModuleThatIsNotLoadedGivesNullAndModNotFound) {
  win::SetLastError(kUntouchedError);
  EXPECT_EQ(nullptr, win::GetModuleHandleA("no_such_module_here"));
  EXPECT_EQ(static_cast<win::Dword>(win::kErrorModNotFound), win::GetLastError());
}

// The start-up keeps the DLL search to the system folder: kernel32 hands out
// SetDefaultDllDirectories, which takes LOAD_LIBRARY_SEARCH_SYSTEM32, and
// SetDllDirectoryA("") (the way of a Windows without it) succeeds as well.
TEST_F(RuntimeLookupTest, TheDllSearchCanBeKeptToTheSystemFolder) {
  auto setDefaultDllDirectories = reinterpret_cast<win::SetDefaultDllDirectoriesFn>(
      win::GetProcAddress(win::GetModuleHandleA("kernel32"), "SetDefaultDllDirectories"));
  ASSERT_NE(nullptr, setDefaultDllDirectories) << "error " << win::GetLastError();
  EXPECT_NE(0, setDefaultDllDirectories(win::kLoadLibrarySearchSystem32)) << "error " << win::GetLastError();
  EXPECT_NE(0, win::SetDllDirectoryA("")) << "error " << win::GetLastError();
}

class Wow64DetectionTest : public ConformanceTest, public testing::WithParamInterface<Wow64Case> {};

TEST_P(Wow64DetectionTest, IsWow64ProcessAnswersAsTheMachineIs) {
  const Wow64Case& c = GetParam();
  if (!c.known) GTEST_SKIP() << c.source;
  EnterWow64Case(c);
  SCOPED_TRACE(c.source);
  win::HInstance kernel32 = win::GetModuleHandleA("kernel32");
  ASSERT_NE(nullptr, kernel32) << "error " << win::GetLastError();
  win::SetLastError(kUntouchedError);
  win::FarProc proc = win::GetProcAddress(kernel32, "IsWow64Process");
  if (!c.expectFunction) {
    EXPECT_EQ(nullptr, proc);
    EXPECT_EQ(static_cast<win::Dword>(win::kErrorProcNotFound), win::GetLastError());
    return;
  }
  ASSERT_NE(nullptr, proc) << "error " << win::GetLastError();
  auto isWow64Process = reinterpret_cast<win::IsWow64ProcessFn>(proc);
  win::Bool wow64 = 0x5A5A;
  win::Bool result = isWow64Process(win::GetCurrentProcess(), &wow64);
  EXPECT_NE(0, result) << "error " << win::GetLastError();
  EXPECT_EQ(c.expectWow64 ? 1 : 0, wow64);
}

INSTANTIATE_TEST_SUITE_P(Machines, Wow64DetectionTest, testing::ValuesIn(Wow64Cases()),
                         [](const testing::TestParamInfo<Wow64Case>& machine) { return machine.param.name; });

// A started program sees on GetCommandLineW exactly the command line its
// starter passed, blanks, tabs and quotation marks included, widened from the
// ANSI code page.  The program starts its temporary copy this way and splits
// what it sees itself.
class CommandLineTest : public ConformanceTest {};

TEST_F(CommandLineTest, StartedProgramSeesTheCommandLineAsPassed) {
  char module[260];
  win::Dword moduleLength = win::GetModuleFileNameA(nullptr, module, sizeof module);
  ASSERT_GT(moduleLength, 0u);
  ASSERT_LT(moduleLength, sizeof module);
  std::u16string widePath;
  for (win::Dword i = 0; i < moduleLength; ++i) {
    ASSERT_LT(static_cast<unsigned char>(module[i]), 0x80)
        << "the test needs an ASCII path: " << Quoted(module, moduleLength);
    widePath += static_cast<char16_t>(module[i]);
  }
  struct {
    const char* arguments;
    const char16_t* expected;
  } const cases[] = {
      {" d0010407", u" d0010407"},
      {" d0010407  a\tb \"c d\"", u" d0010407  a\tb \"c d\""},
      {"   a   b  ", u"   a   b  "},
      {" \"\"", u" \"\""},
      {" \"a b\"c", u" \"a b\"c"},
      {" \xFC\xDF", u" \u00FC\u00DF"},
      {"", u""},
  };
  for (const auto& c : cases) {
    std::string line = "\"" + std::string(module, moduleLength) + "\"" + c.arguments;
    SCOPED_TRACE("command line " + Quoted(line));
    std::u16string seen;
    std::string failure;
    ASSERT_TRUE(CommandLineSeenByNewProcess(line, &seen, &failure)) << failure;
    std::u16string expected = u"\"" + widePath + u"\"" + c.expected;
    EXPECT_EQ(Quoted(expected), Quoted(seen));
  }
}

}  // namespace
}  // namespace conformance
