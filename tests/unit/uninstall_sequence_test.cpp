// The uninstall sequence step by step, run by the copy in the temporary
// folder as a whole process on a machine with the product installed: the
// checks and their refusals, the confirmation, the driver file, and each
// later step's failure, after which the next step follows.
#include "uninstall/uninstall_sequence.h"

#include <string>
#include <vector>

#include "two_process.h"

namespace {

using sim::WindowsKind;

const std::string kDriver = kDriverName;
const std::string kNotFound =
    "Der Registry-Key des zu deinstallierenden Tastaturtreibers wurde nicht gefunden.\nTreiber: " + kDriver;
const std::string kNoLayoutFile =
    "Der Registry-Key des zu deinstallierenden Tastaturtreibers enthält keine Treiberdatei-Angabe.\nTreiber: " +
    kDriver + "Key: a0010407\nDLL: Oskaldrv.DLL";
const std::string kOtherLayoutFile =
    "Der Registry-Key des zu deinstallierenden Tastaturtreibers enthält eine andere Treiberdatei-Angabe als zum "
    "Zeitpunkt der Installation.\nAus Sicherheitsgründen wird daher die Deinstallation jetzt nicht "
    "durchgeführt.\nTreiber: " +
    kDriver + "Key: a0010407\nDLL bei Installation: Oskaldrv.DLL\nDLL jetzt: ";
const std::string kOnlyLayout =
    "In den Windows-Spracheinstellungen ist die zu deinstallierende Tastaturbelegung derzeit als einzig "
    "auswählbare Belegung hinterlegt.\nBitte Wählen Sie dort erst eine andere Tastaturbelegung, bevor Sie die "
    "hier gewählte deinstallieren.";
const std::string kCatalogueText = "System\\CurrentControlSet\\Control\\Keyboard Layouts";
const std::string kAccessDenied = "Fehlercode 5:\nZugriff verweigert\r\n";
const std::string kInUse =
    "Fehlercode 32:\nDer Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet "
    "wird.\r\n";
const std::string kNotEmpty = "Fehlercode 145:\nDas Verzeichnis ist nicht leer.\r\n";
const std::string kNoSuchFile = "Fehlercode 2:\nDas System kann die angegebene Datei nicht finden.\r\n";

// The user's lists before the uninstall, and after it removed the layout.
const std::string kListsBefore = "Preload: 1=00000407 2=d0010407 | Substitutes: d0010407=a0010407";
const std::string kListsAfter = "Preload: 1=00000407 | Substitutes:";

std::string MissingDriver(const std::string& path) {
  return "Problem bei Deinstallation von " + kDriver + ":\nTreiberdatei nicht (mehr) vorhanden:\n  " + path +
         "\n\nTrotzdem fortfahren?";
}
std::string DeleteFailed(const std::string& path, const std::string& error) {
  return "Folgende Datei kann nicht gelöscht werden:\n" + path + "\n\n" + error;
}
std::string HelpFileKept(const std::string& path) {
  return "Warnung bei Deinstallation von " + kDriver + ":\nFolgende Hilfsdatei konnte nicht gelöscht werden:\n  " +
         path;
}
std::string FolderKept(const std::string& folder, const std::string& error) {
  return "Folgendes Verzeichnis kann nicht gelöscht werden:\n" + folder + "\n\n" + error;
}
std::string FolderKeptInfo(const std::string& folder) {
  return "Warnung bei Deinstallation von " + kDriver +
         ":\nFolgendes Hilfsverzeichnis konnte nicht entfernt werden (möglicherweise ist es nicht leer):\n  " + folder;
}
std::string ListsNotRewritten(const std::string& problem) {
  return "Warnung bei Deinstallation von " + kDriver + ":\nProblem bei Registry-Key-Update:\n  " + problem;
}

class Sequence : public SimTest {
 protected:
  // A fresh machine of that kind with the product installed (but for the
  // files given) and the copy in the temporary folder.
  void Install(WindowsKind kind, const Items& without = {}) {
    SetUp();
    InstallProduct(kind, without);
    PlaceTempCopy();
  }

  // The copy ran as the program does: with its status window as owner of
  // every box, starting nothing, and with redirection switched off at the
  // start and on again at the end (on 64-bit Windows only).
  static void ExpectCopyRan(const ProcessOutcome& run, WindowsKind kind) {
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.windowTitle, kWindowTitle);
    EXPECT_TRUE(run.boxesOwnedByItsWindow);
    EXPECT_TRUE(run.started.empty());
    EXPECT_EQ(run.redirectionCalls, (Is64(kind) ? Items{"Disable", "Revert"} : Items{}));
    EXPECT_FALSE(run.redirectionOffAtEnd);
    EXPECT_EQ(sim::OpenRegistryHandles(), 0);
    EXPECT_EQ(sim::OpenSearches(), 0);
  }

  // Nothing changed, and the copy is not scheduled for deletion.
  static void ExpectUnchanged(const MachineSnapshot& before) {
    EXPECT_EQ(TakeSnapshot(), before);
    EXPECT_TRUE(sim::PendingRenames().empty());
  }

  // The uninstall ran to its end: the copy is scheduled for deletion at the
  // next restart.
  static void ExpectCompleted() {
    ASSERT_EQ(sim::PendingRenames().size(), 1u);
    EXPECT_EQ(sim::PendingRenames()[0].existing, kTempCopy);
    EXPECT_TRUE(sim::PendingRenames()[0].deleteOnly);
    EXPECT_EQ(sim::PendingRenames()[0].flags, win::kMoveFileDelayUntilReboot);
  }
};

// --------------------------------------------------------------- checks ---

struct RefusalCase {
  const char* name;
  void (*change)();
  std::u16string argument;
  std::string warning;
};

void ReplacePreload(const char* onlyEntry) {
  sim::RemoveRegistryKey(kPreload);
  sim::SetRegistryText(kPreload, "1", onlyEntry);
}
void ReplaceLayoutKey(const char* valueName, const char* layoutFile) {
  sim::RemoveRegistryKey(kLayoutKey);
  sim::SetRegistryText(kLayoutKey, valueName, layoutFile);
}

// Each refusal shows its one warning and ends; nothing has changed, and
// redirection is switched on again.
TEST_F(Sequence, EachCheckRefusesWithItsWarningAndChangesNothing) {
  const RefusalCase cases[] = {
      {"PreloadKeyMissing", [] { sim::RemoveRegistryKey(kPreload); }, u"a0010407",
       "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Preload"},
      {"SubstitutesKeyMissing", [] { sim::RemoveRegistryKey(kSubstitutes); }, u"a0010407",
       "Fehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout\\Substitutes"},
      {"CatalogueMissing", [] { sim::RemoveRegistryKey(kCatalogue); }, u"a0010407",
       "Fehler beim Öffnen des Registry-Keys HKEY_LOCAL_MACHINE\\" + kCatalogueText},
      {"CatalogueEntryUnreadable", [] { sim::DenyRegistryKey(kLayoutKey, sim::kDenyOpenRead); }, u"a0010407",
       "Fehler beim Öffnen des Registry-Subkeys " + kCatalogueText + " - a0010407"},
      // The problem text is shown as it is, never read as a format.
      {"ProblemTextWithPercentSigns",
       [] {
         sim::CreateRegistryKey(std::string(kCatalogue) + "\\%s%s0407");
         sim::DenyRegistryKey(std::string(kCatalogue) + "\\%s%s0407", sim::kDenyOpenRead);
       },
       u"a0010407", "Fehler beim Öffnen des Registry-Subkeys " + kCatalogueText + " - %s%s0407"},
      {"LayoutNotCatalogued", nullptr, u"zzzz0407", kNotFound + "Key: zzzz0407\nDLL: Oskaldrv.DLL"},
      {"NoLayoutFileValue", [] { ReplaceLayoutKey("Layout Text", "Deutsch"); }, u"a0010407", kNoLayoutFile},
      {"LayoutFileValueNamedInOtherCase", [] { ReplaceLayoutKey("layout file", "Oskaldrv.DLL"); }, u"a0010407",
       kNoLayoutFile},
      {"LayoutFileWithFolder", [] { ReplaceLayoutKey("Layout File", "C:\\WINDOWS\\system32\\Oskaldrv.DLL"); },
       u"a0010407", kOtherLayoutFile + "C:\\WINDOWS\\system32\\Oskaldrv.DLL"},
      {"LayoutFileWithTrailingBlank", [] { ReplaceLayoutKey("Layout File", "Oskaldrv.DLL "); }, u"a0010407",
       kOtherLayoutFile + "Oskaldrv.DLL "},
      {"LayoutFileWithPercentSigns", [] { ReplaceLayoutKey("Layout File", "%s%d.DLL"); }, u"a0010407",
       kOtherLayoutFile + "%s%d.DLL"},
      {"OnlyPreloadEntryIsTheLayout", [] { ReplacePreload("d0010407"); }, u"a0010407", kOnlyLayout},
      {"OnlyPreloadEntryIsAnotherLayout", [] { ReplacePreload("00000407"); }, u"a0010407", kOnlyLayout},
  };
  for (WindowsKind kind : {k32, k64}) {
    for (const RefusalCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (Is64(kind) ? " on 64-bit" : " on 32-bit"));
      Install(kind);
      if (c.change != nullptr) c.change();
      MachineSnapshot before = TakeSnapshot();

      ProcessOutcome run = RunTempCopy(c.argument);
      EXPECT_EQ(run.boxes, Boxes{WarningBox(c.warning)});
      ExpectCopyRan(run, kind);
      ExpectUnchanged(before);
    }
  }
}

// --------------------------------------------------------- confirmation ---

struct ConfirmationCase {
  const char* name;
  void (*change)();
  std::u16string argument;
  std::vector<int> answers;
};

// Whatever passes the checks reaches the question; any answer but Yes
// cancels, with nothing changed.
TEST_F(Sequence, AnythingButYesCancelsAndChangesNothing) {
  const ConfirmationCase cases[] = {
      {"AnsweredNo", nullptr, u"a0010407", {win::kIdNo}},
      {"BoxCouldNotBeShown", nullptr, u"a0010407", {}},
      {"NoPreloadEntryAtAll",
       [] {
         sim::RemoveRegistryKey(kPreload);
         sim::CreateRegistryKey(kPreload);
       },
       u"a0010407",
       {win::kIdNo}},
      {"LayoutFileInCapitals", [] { ReplaceLayoutKey("Layout File", "OSKALDRV.DLL"); }, u"a0010407", {win::kIdNo}},
      {"KeyInCapitals", nullptr, u"A0010407", {win::kIdNo}},
  };
  for (const ConfirmationCase& c : cases) {
    SCOPED_TRACE(c.name);
    Install(k64);
    if (c.change != nullptr) c.change();
    MachineSnapshot before = TakeSnapshot();
    sim::ScriptAnswers(c.answers);

    ProcessOutcome run = RunTempCopy(c.argument);
    EXPECT_EQ(run.boxes, (Boxes{QuestionBox(kConfirmText), InfoBox("Deinstallation abgebrochen.")}));
    ExpectCopyRan(run, k64);
    ExpectUnchanged(before);
  }
}

// ---------------------------------------------------------- driver file ---

struct DriverCase {
  const char* name;
  WindowsKind kind;
  Items without;
  void (*change)();
  std::vector<int> answers;
  Boxes boxes;
};

// The boxes of a driver file that cannot be deleted: the operation's own
// warning, then the uninstall's report.
Boxes DriverNotDeleted(const std::string& error) {
  return {QuestionBox(kConfirmText), FileWarningBox(DeleteFailed(kSystemDll, error)),
          InfoBox("Fehler bei Deinstallation von " + kDriver +
                  ":\nFolgende Treiberdatei konnte nicht gelöscht werden:\n  " + kSystemDll)};
}

// A driver file that is missing and not accepted, or that cannot be
// deleted, ends the uninstall with nothing changed.
TEST_F(Sequence, TheDriverFileThatIsNotDeletedStopsTheUninstall) {
  const Boxes missingNotAccepted{QuestionBox(kConfirmText), QuestionBox(MissingDriver(kSystemDll))};
  const DriverCase cases[] = {
      {"MissingAnsweredNo", k32, {kSystemDll}, nullptr, {win::kIdYes, win::kIdNo}, missingNotAccepted},
      {"MissingNotAnswered", k32, {kSystemDll}, nullptr, {win::kIdYes}, missingNotAccepted},
      // The native system folder is looked at: the 32-bit copy does not count.
      {"NativeFileMissingOn64Bit", k64, {kSystemDll}, nullptr, {win::kIdYes, win::kIdNo}, missingNotAccepted},
      {"ReadOnly",
       k32,
       {},
       [] { sim::AddFiles("C:\\WINDOWS\\system32\\Oskaldrv.DLL [RA] = MZ Treiber"); },
       {win::kIdYes},
       DriverNotDeleted(kAccessDenied)},
      // A lookup that fails for another reason than "not found" does not
      // make the file missing: the delete is tried and its failure reported.
      {"LookupDeniedAndFileReadOnly",
       k32,
       {},
       [] {
         sim::AddFiles("C:\\WINDOWS\\system32\\Oskaldrv.DLL [RA] = MZ Treiber");
         sim::FailNextFileCall("FindFirstFileA", win::kErrorAccessDenied);
       },
       {win::kIdYes},
       DriverNotDeleted(kAccessDenied)},
      {"HeldOpenByAnotherProcess",
       k32,
       {},
       [] {
         win::CreateFileA(kSystemDll, win::kGenericRead, win::kFileShareRead, nullptr, win::kOpenExisting, 0, nullptr);
       },
       {win::kIdYes},
       DriverNotDeleted(kInUse)},
  };
  for (const DriverCase& c : cases) {
    SCOPED_TRACE(c.name);
    Install(c.kind, c.without);
    if (c.change != nullptr) c.change();
    MachineSnapshot before = TakeSnapshot();
    sim::ScriptAnswers(c.answers);

    ProcessOutcome run = RunTempCopy(u"a0010407");
    EXPECT_EQ(run.boxes, c.boxes);
    ExpectCopyRan(run, c.kind);
    ExpectUnchanged(before);
  }
}

// A missing driver file that the user accepts does not stop the uninstall.
TEST_F(Sequence, AMissingDriverFileAcceptedLetsTheUninstallGoOn) {
  Install(k32, {kSystemDll});
  sim::ScriptAnswers({win::kIdYes, win::kIdYes});

  ProcessOutcome run = RunTempCopy(u"a0010407");
  EXPECT_EQ(run.boxes, (Boxes{QuestionBox(kConfirmText), QuestionBox(MissingDriver(kSystemDll)), InfoBox(kDoneText)}));
  ExpectCopyRan(run, k32);
  EXPECT_EQ(ProductLeft(k32), Items{});
  EXPECT_EQ(UserLists(), kListsAfter);
  ExpectCompleted();
}

// ---------------------------------------------------- the removal steps ---

struct LaterCase {
  const char* name;
  WindowsKind kind;
  Items without;
  void (*change)();
  Boxes boxes;  // between the confirmation and the final report
  Items productLeft;
  std::string userLists;
};

const std::string kFolder32 = ProductFolder(k32);
const std::string kDocument32 = HelpDocument(k32);

// After the driver file is gone, a failing step is reported (or passed over
// silently where nothing is reported) and the next step follows; the final
// report is shown and the copy is scheduled for deletion in every case.
TEST_F(Sequence, AfterTheDriverFileEachFailureIsReportedAndTheNextStepFollows) {
  const LaterCase cases[] = {
      {"Wow64CopyCannotBeDeleted",
       k64,
       {},
       [] { sim::AddFiles("C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL [RA] = MZ Treiber 32 Bit"); },
       {},
       {kWow64Dll},
       kListsAfter},
      {"Wow64CopyMissing", k64, {kWow64Dll}, nullptr, {}, {}, kListsAfter},
      {"UserListsCannotBeRewritten",
       k32,
       {},
       [] { sim::DenyRegistryKey(kSubstitutes, sim::kDenyOpenWrite); },
       {InfoBox(ListsNotRewritten("Warnung:\nFehler beim Löschen des Registry-Keys Keyboard Layout - Substitutes"))},
       {},
       "Preload: 1=00000407 | Substitutes: d0010407=a0010407"},
      {"KeyboardLayoutKeyCannotBeOpened",
       k32,
       {},
       [] { sim::DenyRegistryKey("HKCU\\Keyboard Layout", sim::kDenyOpenRead); },
       {InfoBox(
           ListsNotRewritten("Warnung:\nFehler beim Öffnen des Registry-Keys HKEY_CURRENT_USER\\Keyboard Layout"))},
       {},
       kListsBefore},
      // Reached without a substitution, the layout has no entry of its own
      // in the lists: they are left as they are, without a message.
      {"LayoutNotInUserLists",
       k32,
       {},
       [] {
         sim::RemoveRegistryKey(kPreload);
         sim::RemoveRegistryKey(kSubstitutes);
         sim::BuildRegistry(R"([HKCU\Keyboard Layout\Preload]
                               1=00000407
                               2=a0010407
                               [HKCU\Keyboard Layout\Substitutes])");
       },
       {},
       {},
       "Preload: 1=00000407 2=a0010407 | Substitutes:"},
      {"LayoutKeyCannotBeDeleted",
       k32,
       {},
       [] { sim::DenyRegistryKey(kLayoutKey, sim::kDenyOpenWrite); },
       {WarningBox("Warnung:\nFehler beim Löschen des Registry-Keys " + kCatalogueText + " - a0010407")},
       {kLayoutKey},
       kListsAfter},
      // Opened, then its deletion refused: the key stays, and says so.
      {"LayoutKeyDeletionRefused",
       k32,
       {},
       [] { sim::DenyRegistryKey(kLayoutKey, sim::kDenyDelete); },
       {WarningBox("Warnung:\nFehler beim Löschen des Registry-Keys " + kCatalogueText + " - a0010407")},
       {kLayoutKey},
       kListsAfter},
      // The same for Preload: the old list stays whole (not written over with
      // the layout's entry left behind), Substitutes is rewritten.
      {"PreloadDeletionRefused",
       k32,
       {},
       [] { sim::DenyRegistryKey(kPreload, sim::kDenyDelete); },
       {InfoBox(ListsNotRewritten("Warnung:\nFehler beim Löschen des Registry-Keys Keyboard Layout - Preload"))},
       {},
       "Preload: 1=00000407 2=d0010407 | Substitutes:"},
      {"LayoutKeyWithASubkeyThatCannotBeDeleted",
       k32,
       {},
       [] {
         sim::CreateRegistryKey(std::string(kLayoutKey) + "\\Zusatz");
         sim::DenyRegistryKey(std::string(kLayoutKey) + "\\Zusatz", sim::kDenyOpenWrite);
       },
       {WarningBox("Warnung:\nFehler beim Löschen des Registry-Keys " + kCatalogueText + " - a0010407")},
       {kLayoutKey},
       kListsAfter},
      {"NoShortcut", k32, {kShortcut}, nullptr, {}, {}, kListsAfter},
      {"DesktopUnknown", k32, {}, [] { sim::Folders().desktop = ""; }, {}, {kShortcut}, kListsAfter},
      {"HelpDocumentReadOnly",
       k32,
       {},
       [] { sim::AddFiles("C:\\Programme\\Tessmar\\Tastaturbelegung Varn (V3.02) Schaubild.pdf [RA] = %PDF"); },
       {FileWarningBox(DeleteFailed(kDocument32, kAccessDenied)), InfoBox(HelpFileKept(kDocument32)),
        FileWarningBox(FolderKept(kFolder32, kNotEmpty)), InfoBox(FolderKeptInfo(kFolder32))},
       {kDocument32, kFolder32},
       kListsAfter},
      {"ExtraFileInProductFolder",
       k32,
       {},
       [] { sim::AddFiles("C:\\Programme\\Tessmar\\Liesmich.txt = eigene Notizen"); },
       {FileWarningBox(FolderKept(kFolder32, kNotEmpty)), InfoBox(FolderKeptInfo(kFolder32))},
       {kFolder32},
       kListsAfter},
      {"ProductFilesAlreadyGone",
       k32,
       {Uninstaller(k32), kDocument32, HelpIcon(k32)},
       [] { sim::AddFiles("C:\\Programme\\Tessmar\\"); },
       {},
       {},
       kListsAfter},
      {"ProductFolderGone",
       k32,
       {Uninstaller(k32), kDocument32, HelpIcon(k32)},
       nullptr,
       {FileWarningBox(FolderKept(kFolder32, kNoSuchFile)), InfoBox(FolderKeptInfo(kFolder32))},
       {},
       kListsAfter},
      {"UninstallEntryMissing", k32, {}, [] { sim::RemoveRegistryKey(UninstallEntry(k32)); }, {}, {}, kListsAfter},
      {"UninstallListCannotBeOpened",
       k32,
       {},
       [] { sim::DenyRegistryKey(UninstallList(k32), sim::kDenyOpenWrite); },
       {},
       {UninstallEntry(k32)},
       kListsAfter},
  };
  for (const LaterCase& c : cases) {
    SCOPED_TRACE(c.name);
    Install(c.kind, c.without);
    if (c.change != nullptr) c.change();
    sim::ScriptAnswers({win::kIdYes});

    ProcessOutcome run = RunTempCopy(u"a0010407");
    Boxes expected{QuestionBox(kConfirmText)};
    expected.insert(expected.end(), c.boxes.begin(), c.boxes.end());
    expected.push_back(InfoBox(kDoneText));
    EXPECT_EQ(run.boxes, expected);
    ExpectCopyRan(run, c.kind);
    EXPECT_EQ(ProductLeft(c.kind), c.productLeft);
    EXPECT_EQ(UserLists(), c.userLists);
    ExpectCompleted();
  }
}

// An extra file keeps the folder, and with it only itself.
TEST_F(Sequence, AnExtraFileInTheProductFolderStaysWithTheFolder) {
  Install(k32);
  sim::AddFiles("C:\\Programme\\Tessmar\\Liesmich.txt = eigene Notizen");
  sim::ScriptAnswers({win::kIdYes});
  RunTempCopy(u"a0010407");
  ASSERT_NE(sim::FindEntry("C:\\Programme\\Tessmar\\Liesmich.txt"), nullptr);
  EXPECT_EQ(sim::FindEntry("C:\\Programme\\Tessmar\\Liesmich.txt")->content, "eigene Notizen");
  EXPECT_EQ(ProductLeft(k32), Items{kFolder32});
}

// --------------------------------------------------- 32-bit and 64-bit ---

// On 32-bit Windows the sequence neither pauses nor looks into the 32-bit
// system folder (a file of the driver's name there stays); on 64-bit
// Windows it pauses 100 ms and deletes the 32-bit copy there, the native
// one having been reached with redirection off.
TEST_F(Sequence, OnlyA64BitWindowsHasTheWow64Step) {
  for (WindowsKind kind : {k32, k64}) {
    SCOPED_TRACE(Is64(kind) ? "64-bit" : "32-bit");
    Install(kind);
    if (!Is64(kind)) sim::AddFiles("C:\\WINDOWS\\SysWOW64\\Oskaldrv.DLL = fremd");
    sim::ScriptAnswers({win::kIdYes});

    ProcessOutcome run = RunTempCopy(u"a0010407");
    EXPECT_EQ(run.boxes, (Boxes{QuestionBox(kConfirmText), InfoBox(kDoneText)}));
    ExpectCopyRan(run, kind);
    EXPECT_EQ(sim::SleptMilliseconds(), Is64(kind) ? 100u : 0u);
    EXPECT_EQ(sim::FindEntry(kSystemDll), nullptr);
    EXPECT_EQ(sim::FindEntry(kWow64Dll) != nullptr, !Is64(kind));
    EXPECT_NE(sim::FindEntry("C:\\WINDOWS\\system32\\KBDGR.DLL"), nullptr);
    EXPECT_EQ(ProductLeft(kind), Items{});
    ExpectCompleted();
  }
}

}  // namespace
