#include <string>

#include "files/file_operations.h"
#include "files/files_state.h"
#include "files/paths.h"
#include "files/system_folders.h"
#include "platform/sim/sim_files.h"
#include "shell/entry_point.h"
#include "test_process.h"

namespace {

// A process of the given kind of Windows, as the entry point leaves it.
void StartOn(sim::WindowsKind kind) {
  sim::ResetMachine();
  sim::SetWindowsKind(kind);
  ResetProgramState();
  Shell.AppInstance = sim::ProcessInstance();
  Shell.IsWow64 = DetectWow64();
}

struct FolderCase {
  sim::WindowsKind kind;
  const char* systemDir;
  const char* systemWow64Dir;
  const char* installDir;
  std::vector<std::string> redirectionCalls;
};

TEST(SystemFolders, FollowTheKindOfWindows) {
  const FolderCase cases[] = {
      {sim::WindowsKind::kWindows32, "C:\\WINDOWS\\system32\\", "", "C:\\Programme\\Tessmar", {}},
      {sim::WindowsKind::kWindowsNoWow64Api, "C:\\WINDOWS\\system32\\", "", "C:\\Programme\\Tessmar", {}},
      {sim::WindowsKind::kWindows64,
       "C:\\WINDOWS\\system32\\",
       "C:\\WINDOWS\\SysWOW64\\",
       "C:\\Program Files (x86)\\Tessmar",
       {"Disable"}},
  };
  for (const FolderCase& c : cases) {
    StartOn(c.kind);
    InitSystemFolders();
    EXPECT_STREQ(Files.SystemDir, c.systemDir) << static_cast<int>(c.kind);
    EXPECT_STREQ(Files.SystemWow64Dir, c.systemWow64Dir) << static_cast<int>(c.kind);
    EXPECT_STREQ(Files.InstallDir, c.installDir) << static_cast<int>(c.kind);
    EXPECT_EQ(sim::RedirectionCalls(), c.redirectionCalls) << static_cast<int>(c.kind);
    EXPECT_EQ(sim::FsRedirectionOff(), Shell.IsWow64);

    RevertFsRedirection();
    EXPECT_FALSE(sim::FsRedirectionOff());
    EXPECT_EQ(sim::RedirectionCalls().size(), Shell.IsWow64 ? 2u : 0u) << "on 32-bit Windows neither call is made";

    // The shell's list and allocator are given back; no window owns the query.
    EXPECT_EQ(sim::LiveItemIdLists(), 0);
    EXPECT_EQ(sim::AllocatorReferences(), 0);
    ASSERT_EQ(sim::FolderQueries().size(), 1u);
    EXPECT_EQ(sim::FolderQueries()[0].csidl, 0x26);
    EXPECT_EQ(sim::FolderQueries()[0].owner, nullptr);
  }
}

// With redirection off, a file in SystemDir is the 64-bit system folder's,
// not its 32-bit twin in SysWOW64; switched on again, the name leads there.
TEST(SystemFolders, RedirectionOffReachesTheNativeSystemFolder) {
  StartOn(sim::WindowsKind::kWindows64);
  sim::AddFiles(R"(
    C:\WINDOWS\system32\Oskaldrv.DLL = 64
    C:\WINDOWS\SysWOW64\Oskaldrv.DLL = 32
  )");
  char dll[kMaxPath];
  InitSystemFolders();
  ASSERT_TRUE(ComposePath(dll, kMaxPath, Files.SystemDir, "Oskaldrv.DLL"));
  EXPECT_TRUE(DeleteFileReported(dll));
  EXPECT_EQ(sim::FindEntry("C:\\WINDOWS\\system32\\Oskaldrv.DLL"), nullptr);
  EXPECT_NE(sim::FindEntry("C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL"), nullptr);

  sim::AddFiles("C:\\WINDOWS\\system32\\Oskaldrv.DLL = 64");
  RevertFsRedirection();
  EXPECT_TRUE(DeleteFileReported(dll));
  EXPECT_NE(sim::FindEntry("C:\\WINDOWS\\system32\\Oskaldrv.DLL"), nullptr);
  EXPECT_EQ(sim::FindEntry("C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL"), nullptr) << "redirected to the 32-bit folder";
}

struct FallbackCase {
  const char* windows;
  const char* installDir;
};

// A shell that does not know Program Files, or has no allocator, leaves the
// Windows folder's "Programme".
TEST(SystemFolders, WithoutTheShellsAnswerInstallDirIsUnderTheWindowsFolder) {
  const FallbackCase cases[] = {
      {"C:\\WINDOWS", "C:\\WINDOWS\\Programme\\Tessmar"},
      {"D:\\", "D:\\Programme\\Tessmar"},
      {"", "\\Programme\\Tessmar"},  // an unanswered query: the current drive's root
  };
  for (const FallbackCase& c : cases) {
    for (bool noAllocator : {false, true}) {
      StartOn(sim::WindowsKind::kWindows32);
      sim::Folders().programFiles = "";
      sim::Folders().windows = c.windows;
      if (noAllocator) {
        sim::Folders().programFiles = "C:\\Programme";
        sim::FailNextFileCall("SHGetMalloc", 0x80004005u);
      }
      InitSystemFolders();
      EXPECT_STREQ(Files.InstallDir, c.installDir) << c.windows << (noAllocator ? " without allocator" : "");
      EXPECT_EQ(sim::LiveItemIdLists(), 0);
      EXPECT_EQ(sim::AllocatorReferences(), 0);
    }
  }
}

struct OverflowCase {
  const char* name;
  void (*arrange)();
  const char* systemDir;
  const char* installDir;
};

// A folder that would not fit its buffer, or would not fit with the
// separator or the product folder added, is left empty rather than cut.
TEST(SystemFolders, AFolderThatDoesNotFitIsLeftEmpty) {
  const OverflowCase cases[] = {
      {"Program Files of 252 characters: 260 with the product folder",
       [] { sim::Folders().programFiles = "C:\\" + std::string(249, 'p'); }, "C:\\WINDOWS\\system32\\", ""},
      {"Program Files beyond the shell's 260", [] { sim::Folders().programFiles = "C:\\" + std::string(300, 'p'); },
       "C:\\WINDOWS\\system32\\", ""},
      {"Program Files of 251 characters: 259 with the product folder",
       [] { sim::Folders().programFiles = "C:\\" + std::string(248, 'p'); }, "C:\\WINDOWS\\system32\\", nullptr},
      {"a system folder of 259 characters", [] { sim::Folders().system = "C:\\" + std::string(256, 's'); }, "",
       "C:\\Programme\\Tessmar"},
      {"a system folder of 260 characters", [] { sim::Folders().system = "C:\\" + std::string(257, 's'); }, "",
       "C:\\Programme\\Tessmar"},
      {"an unanswered system folder query", [] { sim::Folders().system = ""; }, "\\", "C:\\Programme\\Tessmar"},
      {"a Windows folder too long for the fallback",
       [] {
         sim::Folders().programFiles = "";
         sim::Folders().windows = "C:\\" + std::string(245, 'w');
       },
       "C:\\WINDOWS\\system32\\", ""},
  };
  for (const OverflowCase& c : cases) {
    StartOn(sim::WindowsKind::kWindows32);
    c.arrange();
    InitSystemFolders();
    EXPECT_STREQ(Files.SystemDir, c.systemDir) << c.name;
    if (c.installDir != nullptr) {
      EXPECT_STREQ(Files.InstallDir, c.installDir) << c.name;
    } else {
      EXPECT_EQ(std::string(Files.InstallDir), "C:\\" + std::string(248, 'p') + "\\Tessmar") << c.name;
    }
  }
}

}  // namespace
