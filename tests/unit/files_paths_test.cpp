#include <cstring>
#include <string>

#include "files/paths.h"
#include "platform/sim/sim_files.h"
#include "test_process.h"

namespace {

struct SeparatorCase {
  const char* path;
  const char* expected;
};

TEST(AppendSeparator, EndsEveryPathInExactlyOneSeparator) {
  const SeparatorCase cases[] = {
      {"", "\\"},
      {"C:", "C:\\"},
      {"C:\\", "C:\\"},
      {"C:/", "C:/"},
      {"C:\\dir", "C:\\dir\\"},
      {"C:\\dir\\", "C:\\dir\\"},
      {"C:\\dir/", "C:\\dir/"},
  };
  for (const SeparatorCase& c : cases) {
    char buffer[kMaxPath] = {};
    std::strcpy(buffer, c.path);
    EXPECT_TRUE(AppendSeparator(buffer, kMaxPath)) << c.path;
    EXPECT_STREQ(buffer, c.expected) << c.path;
  }
}

// A separator that would overwrite the terminator's place is not written.
TEST(AppendSeparator, RefusesWhenTheBufferIsFull) {
  char buffer[8];
  std::memcpy(buffer, "C:\\abcd", 8);  // 7 characters and the terminator fill it
  EXPECT_FALSE(AppendSeparator(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "C:\\abcd");
  std::memcpy(buffer, "C:\\abc", 7);
  EXPECT_TRUE(AppendSeparator(buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "C:\\abc\\");
}

TEST(ComposePath, JoinsDirectoryAndName) {
  char path[kMaxPath];
  EXPECT_TRUE(ComposePath(path, kMaxPath, "C:\\WINDOWS\\system32\\", "Oskaldrv.DLL"));
  EXPECT_STREQ(path, "C:\\WINDOWS\\system32\\Oskaldrv.DLL");
  EXPECT_TRUE(ComposePath(path, kMaxPath, "C:\\Programme\\Tessmar", "Uninstall_Oskaldrv.exe"));
  EXPECT_STREQ(path, "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe");
}

// A path that does not fit is never cut into another one: the result is
// empty.  So is one built on a folder that itself did not fit.
TEST(ComposePath, LeavesNothingWhenThePathDoesNotFit) {
  struct Case {
    std::string directory;
    std::string name;
    bool fits;
  } cases[] = {
      {"C:\\" + std::string(250, 'd'), "12345.DLL", false},  // 263 with the separator: one too many
      {"C:\\" + std::string(246, 'd'), "12345.DLL", true},   // 259 characters exactly
      {"C:\\" + std::string(246, 'd') + "\\", "12345.DLL", true},
      {"C:\\" + std::string(247, 'd'), "12345.DLL", false},  // 260: no room for the terminator
      {"", "Oskaldrv.DLL", false},
  };
  for (const Case& c : cases) {
    char path[kMaxPath];
    std::memset(path, 'x', sizeof path);
    EXPECT_EQ(ComposePath(path, kMaxPath, c.directory.c_str(), c.name.c_str()), c.fits) << c.directory.size();
    if (c.fits) {
      EXPECT_EQ(std::strlen(path), 259u);
      EXPECT_EQ(std::string(path).substr(std::strlen(path) - 9), "12345.DLL");
    } else {
      EXPECT_STREQ(path, "") << c.directory.size();
    }
  }
}

class FileExistsTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    sim::AddFiles(R"(
      C:\Programme\Tessmar\Uninstall_Oskaldrv.exe
      C:\Programme\Tessmar\Tastaturbelegung Varn (V3.02) Schaubild.pdf
      C:\Leer\
    )");
  }
};

struct LookupCase {
  const char* path;
  bool exists;
  const char* errorText;  // the start of LastErrorText afterwards
};

TEST_F(FileExistsTest, TellsWhatIsThereAndLeavesTheReason) {
  const LookupCase cases[] = {
      {"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", true, ""},
      {"c:\\PROGRAMME\\tessmar\\uninstall_oskaldrv.EXE", true, ""},
      {"C:\\Programme\\Tessmar", true, ""},
      {"C:\\Programme\\Tessmar\\*.pdf", true, ""},
      {"C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.ex?", true, ""},
      {"C:\\Programme\\Tessmar\\.", true, ""},
      {"C:\\Leer\\.", true, ""},
      {"C:\\Leer\\*", false, ""},  // only "." and ".."
      {"C:\\Programme\\Tessmar\\fehlt.txt", false, "Fehlercode 2:\nDas System kann die angegebene Datei nicht finden."},
      {"C:\\Programme\\Fehlt\\Uninstall_Oskaldrv.exe", false,
       "Fehlercode 3:\nDas System kann den angegebenen Pfad nicht finden."},
      {"C:\\Programme\\Tessmar\\*.ico", false, "Fehlercode 2:"},
  };
  for (const LookupCase& c : cases) {
    std::strcpy(Shell.LastErrorText, "vorher");
    EXPECT_EQ(FileExists(c.path), c.exists) << c.path;
    EXPECT_EQ(std::string(Shell.LastErrorText).substr(0, std::strlen(c.errorText)), c.errorText) << c.path;
    if (c.errorText[0] == '\0') {
      EXPECT_STREQ(Shell.LastErrorText, "") << c.path;
    }
    EXPECT_EQ(sim::OpenSearches(), 0) << c.path << ": the search is closed";
  }
}

}  // namespace
