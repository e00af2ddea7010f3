// The folder queries, the shell's special folders and its allocator, WOW64
// redirection, and starting a process: what the program's folder set-up
// and launcher rely on.
#include <cctype>
#include <string>

#include "conformance/conformance_helpers.h"
#include "conformance/files_setup.h"

namespace conformance {
namespace {

using FolderQuery = uint32_t (*)(char*, uint32_t);

bool IsFolder(const std::string& path) {
  win::Win32FindDataA entry{};
  win::Handle search = win::FindFirstFileA(path.c_str(), &entry);
  if (search == win::kInvalidHandleValue) return false;
  win::FindClose(search);
  return (entry.dwFileAttributes & win::kFileAttributeDirectory) != 0;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool HasDrive(const std::string& path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
}

bool IsWow64Process() {
  auto isWow64 =
      reinterpret_cast<win::IsWow64ProcessFn>(win::GetProcAddress(win::GetModuleHandleA("kernel32"), "IsWow64Process"));
  win::Bool wow64 = 0;
  return isWow64 != nullptr && isWow64(win::GetCurrentProcess(), &wow64) && wow64;
}

class FolderTest : public ConformanceTest {};

// The length without terminator; a buffer too small gets nothing and the
// answer is the size needed, terminator included.
TEST_F(FolderTest, QueriesAnswerWithTheLengthOrTheSizeNeeded) {
  struct Case {
    const char* name;
    FolderQuery query;
  } cases[] = {
      {"GetSystemDirectoryA", win::GetSystemDirectoryA},
      {"GetWindowsDirectoryA", win::GetWindowsDirectoryA},
      {"GetTempPathA", [](char* buffer, uint32_t size) { return win::GetTempPathA(size, buffer); }},
  };
  for (const Case& c : cases) {
    GuardedBuffer buffer(260);
    uint32_t length = c.query(buffer.data(), 260);
    ASSERT_GT(length, 3u) << c.name;
    ASSERT_LT(length, 260u) << c.name;
    std::string folder(buffer.data(), length);
    EXPECT_TRUE(HasDrive(folder)) << c.name << ": " << Quoted(folder);
    EXPECT_TRUE(IsFolder(folder.back() == '\\' ? folder.substr(0, folder.size() - 1) : folder)) << Quoted(folder);
    EXPECT_EQ(folder.back() == '\\', std::string(c.name) == "GetTempPathA") << c.name << ": " << Quoted(folder);
    EXPECT_TRUE(buffer.GuardsIntact()) << c.name;

    GuardedBuffer small(260);
    EXPECT_EQ(c.query(small.data(), length), length + 1) << c.name;
    EXPECT_EQ(small.FirstWrittenFrom(0), -1) << c.name << " wrote into a buffer too small";
  }
  char system[260];
  std::string systemFolder(system, win::GetSystemDirectoryA(system, sizeof system));
  EXPECT_EQ(Lower(systemFolder.substr(systemFolder.size() - 9)), "\\system32") << Quoted(systemFolder);
}

TEST_F(FolderTest, The32BitSystemFolderExistsOnlyOn64BitWindows) {
  for (const Wow64Case& c : Wow64Cases()) {
    EnterWow64Case(c);
    // A 64-bit build runs on 64-bit Windows; the sim's process is always a 32-bit one.
    bool windows64 = (!OnSim() && sizeof(void*) == 8) || (c.known && c.expectWow64);
    char folder[260] = {};
    win::SetLastError(kUntouchedError);
    uint32_t length = win::GetSystemWow64DirectoryA(folder, sizeof folder);
    if (windows64) {
      ASSERT_GT(length, 9u) << c.name << " error " << win::GetLastError();
      EXPECT_EQ(Lower(std::string(folder, length)).substr(length - 9), "\\syswow64") << c.name << " " << folder;
    } else if (c.known) {
      EXPECT_EQ(length, 0u) << c.name;
      EXPECT_EQ(win::GetLastError(), 120u) << c.name << ": ERROR_CALL_NOT_IMPLEMENTED";
    }
  }
}

TEST_F(FolderTest, SpecialFoldersComeAsItemListsFreedWithTheShellsAllocator) {
  for (const Wow64Case& c : Wow64Cases()) {
    EnterWow64Case(c);
    for (int csidl : {win::kCsidlProgramFiles, win::kCsidlDesktopDirectory}) {
      win::Malloc* allocator = nullptr;
      ASSERT_GE(win::SHGetMalloc(&allocator), 0);
      ASSERT_NE(allocator, nullptr);
      win::ItemIdList* list = nullptr;
      ASSERT_GE(win::SHGetSpecialFolderLocation(nullptr, csidl, &list), 0) << c.name << " " << csidl;
      char path[260] = {};
      EXPECT_TRUE(win::SHGetPathFromIDListA(list, path)) << csidl;
      win::IMalloc_Free(allocator, list);
      win::IMalloc_Release(allocator);
      std::string folder = path;
      EXPECT_TRUE(HasDrive(folder)) << Quoted(folder);
      EXPECT_NE(folder.back(), '\\') << Quoted(folder);
      EXPECT_TRUE(IsFolder(folder)) << Quoted(folder);
      if (csidl == win::kCsidlProgramFiles && c.known) {
        bool x86 = folder.size() > 6 && folder.substr(folder.size() - 6) == " (x86)";
        EXPECT_EQ(x86, c.expectWow64) << c.name << ": a 32-bit process on 64-bit Windows sees " << Quoted(folder);
      }
    }
  }
}

// For a 32-bit process on 64-bit Windows, a file made in the system folder
// lands in SysWOW64 while redirection is on; switched off, the system folder
// is the native one.  A 64-bit process is never redirected, so the check
// runs only where WOW64 is.
TEST_F(FolderTest, RedirectionLeadsTheSystemFolderToSysWow64) {
  bool checked = false;
  for (const Wow64Case& c : Wow64Cases()) {
    EnterWow64Case(c);
    if (!IsWow64Process()) continue;
    checked = true;
    auto disable = reinterpret_cast<win::Wow64DisableWow64FsRedirectionFn>(
        win::GetProcAddress(win::GetModuleHandleA("kernel32"), "Wow64DisableWow64FsRedirection"));
    auto revert = reinterpret_cast<win::Wow64RevertWow64FsRedirectionFn>(
        win::GetProcAddress(win::GetModuleHandleA("kernel32"), "Wow64RevertWow64FsRedirection"));
    ASSERT_NE(disable, nullptr);
    ASSERT_NE(revert, nullptr);
    char buffer[260];
    std::string system(buffer, win::GetSystemDirectoryA(buffer, sizeof buffer));
    std::string wow64(buffer, win::GetSystemWow64DirectoryA(buffer, sizeof buffer));
    std::string name = "\\cfm-redirect.tmp";

    win::Handle file = win::CreateFileA((system + name).c_str(), win::kGenericWrite, 0, nullptr, win::kCreateAlways,
                                        win::kFileAttributeNormal, nullptr);
    ASSERT_NE(file, win::kInvalidHandleValue) << "error " << win::GetLastError();
    win::CloseHandle(file);
    void* old = nullptr;
    ASSERT_TRUE(disable(&old));
    EXPECT_EQ(ReadWholeFile(system + name), "<missing>") << c.name;
    EXPECT_EQ(ReadWholeFile(wow64 + name), "") << c.name;
    EXPECT_TRUE(win::DeleteFileA((wow64 + name).c_str()));
    EXPECT_TRUE(revert(old));
  }
  if (!checked) GTEST_SKIP() << "no process here runs under WOW64 (a 64-bit build is never redirected)";
}

TEST_F(FolderTest, AStartedProcessHandsOutTwoHandlesToClose) {
  std::string program = QuickProgramPath();
  std::string line = "\"" + program + "\" " + QuickProgramArguments();
  win::StartupInfoA startup{};
  startup.cb = sizeof startup;
  win::ProcessInformation process{};
  win::SetLastError(kUntouchedError);
  ASSERT_TRUE(
      win::CreateProcessA(program.c_str(), &line[0], nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &process))
      << "error " << win::GetLastError();
  EXPECT_NE(process.hProcess, nullptr);
  EXPECT_NE(process.hThread, nullptr);
  EXPECT_NE(process.dwProcessId, 0u);
  EXPECT_TRUE(win::CloseHandle(process.hProcess));
  EXPECT_TRUE(win::CloseHandle(process.hThread));
}

// The program starts its temporary copy while it holds the copy open for
// reading and shares nothing but reading: meanwhile the copy can be neither
// deleted nor overwritten, and it starts all the same.
TEST_F(FolderTest, AProgramHeldOpenForReadingOnlyStillStarts) {
  std::string folder = MakeScratchFolder("held");
  std::string program = QuickProgramPath();
  std::string copy = folder + "\\cmd.exe";  // the name Wine knows its own program by
  ASSERT_TRUE(win::CopyFileA(program.c_str(), copy.c_str(), 0)) << "error " << win::GetLastError();
  win::Handle held =
      win::CreateFileA(copy.c_str(), win::kGenericRead, win::kFileShareRead, nullptr, win::kOpenExisting, 0, nullptr);
  ASSERT_NE(held, win::kInvalidHandleValue) << "error " << win::GetLastError();

  win::SetLastError(kUntouchedError);
  EXPECT_FALSE(win::DeleteFileA(copy.c_str()));
  EXPECT_EQ(win::GetLastError(), win::kErrorSharingViolation);
  win::SetLastError(kUntouchedError);
  EXPECT_FALSE(win::CopyFileA(program.c_str(), copy.c_str(), 0));
  EXPECT_EQ(win::GetLastError(), win::kErrorSharingViolation);

  std::string line = "\"" + copy + "\" " + QuickProgramArguments();
  win::StartupInfoA startup{};
  startup.cb = sizeof startup;
  win::ProcessInformation process{};
  win::SetLastError(kUntouchedError);
  EXPECT_TRUE(win::CreateProcessA(copy.c_str(), &line[0], nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &process))
      << "error " << win::GetLastError();
  if (process.hProcess != nullptr) win::CloseHandle(process.hProcess);
  if (process.hThread != nullptr) win::CloseHandle(process.hThread);
  EXPECT_TRUE(win::CloseHandle(held));
}

TEST_F(FolderTest, StartingAMissingProgramFails) {
  std::string folder = MakeScratchFolder("start");
  struct Case {
    std::string program;
    win::Dword error;
  } cases[] = {
      {folder + "\\missing.exe", win::kErrorFileNotFound},
      {folder + "\\Missing\\missing.exe", win::kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    std::string line = "\"" + c.program + "\" d0010407";
    win::StartupInfoA startup{};
    startup.cb = sizeof startup;
    win::ProcessInformation process{};
    win::SetLastError(kUntouchedError);
    EXPECT_FALSE(
        win::CreateProcessA(c.program.c_str(), &line[0], nullptr, nullptr, 1, 0, nullptr, nullptr, &startup, &process));
    EXPECT_EQ(win::GetLastError(), c.error) << c.program;
  }
  RemoveScratchFolder(folder);
}

}  // namespace
}  // namespace conformance
