// The whole uninstall as the system's uninstall command starts it: the
// first instance in the product folder, then the copy it started in the
// temporary folder, each a process of its own on the same machine.
#include <algorithm>
#include <string>
#include <vector>

#include "two_process.h"

namespace {

using sim::WindowsKind;

// What the uninstall leaves of the installed product's machine: the other
// layouts, the other product's entry, the user's lists without the layout,
// the other files, and the copy in the temporary folder.
const char kRegistryAfter[] = R"~(
  [HKCU\Keyboard Layout\Preload]
  1=00000407
  [HKCU\Keyboard Layout\Substitutes]
  [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\00000407]
  "Layout File"="KBDGR.DLL"
  "Layout Text"="Deutsch"
  [HKLM\System\CurrentControlSet\Control\Keyboard Layouts\00000409]
  "Layout File"="KBDUS.DLL"
  [{LIST}\Anderes Produkt]
  "DisplayName"="Anderes Produkt"
)~";
const char kFilesAfter[] = R"~(
  C:\WINDOWS\system32\KBDGR.DLL = MZ Deutsch
  C:\Users\Benutzer\Desktop\Brief.txt = Text
  C:\Users\Benutzer\AppData\Local\Temp\Uninstall_Oskaldrv.exe = MZ Deinstallationsprogramm
)~";

// The machine a completed uninstall should leave, built afresh.  It
// replaces the machine the test ran on, so a test reads everything else
// first.
MachineSnapshot ExpectedMachineAfter(WindowsKind kind) {
  sim::ResetMachine();
  sim::SetWindowsKind(kind);
  sim::BuildRegistry(ReplaceAll(kRegistryAfter, "{LIST}", UninstallList(kind)).c_str());
  sim::AddFiles(kFilesAfter);
  return TakeSnapshot();
}

// The file entries without the copy in the temporary folder.
Items FilesBesidesTheCopy(const MachineSnapshot& state) {
  Items files;
  for (const std::string& file : state.files)
    if (file.compare(0, std::string(kTempCopy).size(), kTempCopy) != 0) files.push_back(file);
  return files;
}

class WholeUninstall : public SimTest {};

// Two processes: the first copies itself and starts the copy without a
// window or a box; the copy asks, removes everything, reports and has
// itself deleted at the next restart.  Both switch redirection on again.
TEST_F(WholeUninstall, RemovesTheProductInTwoProcesses) {
  for (WindowsKind kind : {k32, k64}) {
    SCOPED_TRACE(Is64(kind) ? "64-bit" : "32-bit");
    SetUp();
    InstallProduct(kind);
    sim::ScriptAnswers({win::kIdYes});

    std::vector<ProcessOutcome> runs = RunUninstallCommand(kind, u"a0010407");
    ASSERT_EQ(runs.size(), 2u);
    const Items redirection = Is64(kind) ? Items{"Disable", "Revert"} : Items{};

    const ProcessOutcome& first = runs[0];
    EXPECT_EQ(first.module, Uninstaller(kind));
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.windowTitle, "");
    EXPECT_EQ(first.boxes, Boxes{});
    ASSERT_EQ(first.started.size(), 1u);
    EXPECT_TRUE(first.started[0].started);
    EXPECT_EQ(first.started[0].applicationName, kTempCopy);
    EXPECT_EQ(first.started[0].commandLine, std::string("\"") + kTempCopy + "\" a0010407");
    EXPECT_EQ(first.redirectionCalls, redirection);
    EXPECT_FALSE(first.redirectionOffAtEnd);

    const ProcessOutcome& copy = runs[1];
    EXPECT_EQ(copy.module, kTempCopy);
    EXPECT_EQ(copy.commandLine, u"\"C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe\" a0010407");
    EXPECT_EQ(copy.exitCode, 0);
    EXPECT_EQ(copy.windowTitle, kWindowTitle);
    EXPECT_EQ(copy.boxes, (Boxes{QuestionBox(kConfirmText), InfoBox(kDoneText)}));
    EXPECT_TRUE(copy.boxesOwnedByItsWindow);
    EXPECT_TRUE(copy.started.empty());
    EXPECT_EQ(copy.redirectionCalls, redirection);
    EXPECT_FALSE(copy.redirectionOffAtEnd);
    ASSERT_EQ(sim::Windows().size(), 1u);
    EXPECT_EQ(sim::Windows()[0].showCommands, std::vector<int>{win::kSwShowDefault})
        << "started without a show command of its own";

    EXPECT_EQ(sim::SleptMilliseconds(), Is64(kind) ? 100u : 0u);
    ASSERT_EQ(sim::PendingRenames().size(), 1u);
    EXPECT_EQ(sim::PendingRenames()[0].existing, kTempCopy);
    EXPECT_TRUE(sim::PendingRenames()[0].deleteOnly);
    EXPECT_EQ(sim::PendingRenames()[0].flags, win::kMoveFileDelayUntilReboot);
    EXPECT_EQ(sim::OpenRegistryHandles(), 0);
    EXPECT_EQ(sim::OpenKernelHandles(), 0);
    EXPECT_EQ(ProductLeft(kind), Items{});

    MachineSnapshot after = TakeSnapshot();
    EXPECT_EQ(after, ExpectedMachineAfter(kind));
  }
}

// A refusal by the copy leaves the machine as it was, but for the copy
// itself, which stays in the temporary folder.
TEST_F(WholeUninstall, ARefusalLeavesOnlyTheCopyBehind) {
  InstallProduct(k64);
  sim::RemoveRegistryKey(kPreload);
  sim::SetRegistryText(kPreload, "1", "d0010407");
  MachineSnapshot before = TakeSnapshot();

  std::vector<ProcessOutcome> runs = RunUninstallCommand(k64, u"a0010407");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].boxes, Boxes{});
  ASSERT_EQ(runs[1].boxes.size(), 1u);
  EXPECT_EQ(runs[1].boxes[0].find("Uninstall_Oskaldrv | 0x30 | In den Windows-Spracheinstellungen"), 0u);
  EXPECT_EQ(runs[1].redirectionCalls, (Items{"Disable", "Revert"}));

  MachineSnapshot after = TakeSnapshot();
  EXPECT_EQ(after.registry, before.registry);
  EXPECT_EQ(FilesBesidesTheCopy(after), before.files);
  ASSERT_NE(sim::FindEntry(kTempCopy), nullptr);
  EXPECT_TRUE(sim::PendingRenames().empty());
}

// Every process starts from the program's start values: a layout picture,
// a count or a shut-down flag left over from the process before would
// change what the next one decides.
TEST_F(WholeUninstall, EachProcessStartsFromTheStartValues) {
  InstallProduct(k32);
  PlaceTempCopy();
  sim::ScriptAnswers({win::kIdNo});
  ProcessOutcome asked = RunTempCopy(u"a0010407");
  EXPECT_EQ(asked.boxes.size(), 2u);

  // The same catalogue position now holds no layout file...
  sim::RemoveRegistryKey(kLayoutKey);
  ProcessOutcome notFound = RunTempCopy(u"a0010407");
  EXPECT_EQ(notFound.boxes,
            Boxes{WarningBox(std::string("Der Registry-Key des zu deinstallierenden Tastaturtreibers wurde nicht "
                                         "gefunden.\nTreiber: ") +
                             kDriverName + "Key: a0010407\nDLL: Oskaldrv.DLL")});

  // ...and a single Preload entry counts as one, not as three.
  sim::SetRegistryText(kLayoutKey, "Layout File", "Oskaldrv.DLL");
  sim::RemoveRegistryKey(kPreload);
  sim::SetRegistryText(kPreload, "1", "00000407");
  ProcessOutcome single = RunTempCopy(u"a0010407");
  ASSERT_EQ(single.boxes.size(), 1u);
  EXPECT_NE(single.boxes[0].find("als einzig auswählbare Belegung"), std::string::npos);

  int displays = 0;
  for (const sim::DeviceContextRecord& dc : sim::DeviceContexts()) {
    if (dc.driver != "DISPLAY") continue;
    ++displays;
    EXPECT_TRUE(dc.deleted) << "every process shuts its shell down";
  }
  EXPECT_EQ(displays, 3);
  EXPECT_TRUE(sim::PendingRenames().empty());
}

}  // namespace
