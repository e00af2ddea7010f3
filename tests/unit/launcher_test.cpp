#include "shell/launcher.h"

#include <cstring>
#include <string>

#include "platform/sim/sim_files.h"
#include "test_process.h"

namespace {

const char kCopy[] = "C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe";

class Launcher : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    std::strcpy(Shell.ProgramName, "Uninstall_Oskaldrv");
    sim::AddFiles(R"(
      C:\Users\Benutzer\AppData\Local\Temp\Uninstall_Oskaldrv.exe = MZ
      C:\Users\Benutzer\AppData\Local\Temp\kein Programm.exe = Text
    )");
  }
};

// The path with its blanks is quoted; the parameter is not, so a blank in
// it makes two arguments of it.
TEST_F(Launcher, StartsTheQuotedPathWithTheParametersAsTheyAre) {
  struct Case {
    const char* parameters;
    const char* commandLine;
  } cases[] = {
      {"d0010407", "\"C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe\" d0010407"},
      {"d001 407", "\"C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe\" d001 407"},
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_TRUE(RunProgram(kCopy, c.parameters));
    ASSERT_EQ(sim::CreatedProcesses().size(), 1u);
    const sim::ProcessCreation& p = sim::CreatedProcesses()[0];
    EXPECT_TRUE(p.started);
    EXPECT_EQ(p.applicationName, kCopy);
    EXPECT_EQ(p.commandLine, c.commandLine);
    EXPECT_FALSE(p.processAttributes);
    EXPECT_FALSE(p.threadAttributes);
    EXPECT_TRUE(p.inheritHandles);
    EXPECT_EQ(p.creationFlags, 0u);
    EXPECT_FALSE(p.environment);
    EXPECT_EQ(p.currentDirectory, "") << "the caller's current directory";
    EXPECT_EQ(p.startupInfo.cb, sizeof(win::StartupInfoA));
    EXPECT_EQ(p.startupInfo.dwFlags, 0u);
    EXPECT_EQ(p.startupInfo.wShowWindow, 0u);
    EXPECT_EQ(sim::OpenKernelHandles(), 0) << "both handles are closed at once";
    EXPECT_EQ(std::string(Shell.StatusText), std::string("Aufruf von ") + c.parameters + " ...");
    EXPECT_TRUE(sim::MessageBoxes().empty());
  }
}

struct FailureCase {
  const char* path;
  const char* errorText;
};

TEST_F(Launcher, AFailedStartIsReportedWithPathParametersAndReason) {
  const FailureCase cases[] = {
      {"C:\\Users\\Benutzer\\AppData\\Local\\Temp\\fehlt.exe",
       "Fehlercode 2:\nDas System kann die angegebene Datei nicht finden.\r\n"},
      {"C:\\Users\\Benutzer\\AppData\\Local\\Temp\\kein Programm.exe",
       "Fehlercode 193"},  // the system's text has an insert and is not taken
  };
  for (const FailureCase& c : cases) {
    SetUp();
    EXPECT_FALSE(RunProgram(c.path, "d0010407"));
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.caption, "Uninstall_Oskaldrv");
    EXPECT_EQ(box.type, win::kMbOk | win::kMbIconExclamation);
    EXPECT_EQ(box.text, std::string("Folgender Programmstart konnte nicht durchgeführt werden:\nDatei: ") + c.path +
                            "\nAusführen in: <NULL>\nParameter: d0010407\n\n" + c.errorText);
    EXPECT_STREQ(Shell.StatusText, "Aufruf von d0010407 ...") << "the status line stays";
    EXPECT_EQ(sim::OpenKernelHandles(), 0);
  }
}

// An empty path is one that did not fit its buffer: nothing is started.
TEST_F(Launcher, APathThatDidNotFitStartsNothing) {
  EXPECT_FALSE(RunProgram("", "d0010407"));
  EXPECT_TRUE(sim::CreatedProcesses().empty());
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text,
            "Folgender Programmstart konnte nicht durchgeführt werden:\nDatei: \nAusführen in: <NULL>\n"
            "Parameter: d0010407\n\nFehlercode 206:\nDer Dateiname oder die Erweiterung ist zu lang.\r\n");
}

}  // namespace
