// The first stage, run as whole processes: the first instance copies
// itself into the temporary folder, starts the copy and ends; the copy
// recognises that it runs there and goes on to the uninstall.
#include "uninstall/relocation.h"

#include <string>
#include <vector>

#include "two_process.h"

namespace {

using sim::WindowsKind;

const char kCannotCopy[] =
    "Deinstallationsprogramm kann nicht in ein temporäres Verzeichnis kopiert werden, um sein Original löschen zu "
    "können";
const char kCannotStart[] =
    "Deinstallationsprogramm kann Kopie im temporären Verzeichnis nicht starten, um sein Original löschen zu können";
const std::string kAccessDenied = "Fehlercode 5:\nZugriff verweigert\r\n";

std::string CopyFailed(const std::string& source, const std::string& target, const std::string& error) {
  return "Kopieren einer Datei fehlgeschlagen.\n\nQuelle: " + source + "\nZiel: " + target + "\n\n" + error;
}

class Relocation : public SimTest {
 protected:
  void Install(WindowsKind kind) {
    SetUp();
    InstallProduct(kind);
  }
};

// --------------------------------------------------- which instance ---

struct StartCase {
  const char* name;
  const char* temp;    // what GetTempPathA answers
  std::string module;  // where the program was started from
  std::string copy;    // the copy the first instance makes; empty for the copy itself
  std::string title;   // the copy's window title
};

// The program's path is compared with the temporary folder without regard
// to case; the copy bears the file name the program was started with.
TEST_F(Relocation, OnlyAProgramOutsideTheTemporaryFolderMakesACopy) {
  const std::string tempDir = kTempDir;
  const StartCase cases[] = {
      {"ProductFolder", kTempDir, "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", kTempCopy, ""},
      {"TemporaryFolder", kTempDir, kTempCopy, "", kWindowTitle},
      {"BelowTheTemporaryFolder", kTempDir, tempDir + "Tessmar\\Uninstall_Oskaldrv.exe", "", kWindowTitle},
      {"TemporaryFolderInOtherCase", kTempDir, "c:\\USERS\\benutzer\\AppData\\LOCAL\\temp\\uninstall_oskaldrv.exe", "",
       "uninstall_oskaldrv V3.02 - Tastaturtreiber-Deinstallation"},
      {"UmlautInOtherCase", "C:\\Users\\Jürgen\\Temp\\", "C:\\USERS\\JÜRGEN\\TEMP\\Uninstall_Oskaldrv.exe", "",
       kWindowTitle},
      {"TemporaryFolderWithoutBackslash", "C:\\Temp", "C:\\Temp\\Uninstall_Oskaldrv.exe", "", kWindowTitle},
      {"FolderThatOnlyBeginsLikeIt", "C:\\Temp", "C:\\Temp2\\Uninstall_Oskaldrv.exe",
       "C:\\Temp\\Uninstall_Oskaldrv.exe", ""},
      {"ForwardSlashes", kTempDir, "C:/Programme/Tessmar/Uninstall_Oskaldrv.exe", kTempCopy, ""},
      {"RenamedProgram", kTempDir, "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv (2).exe",
       tempDir + "Uninstall_Oskaldrv (2).exe", ""},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    Install(k32);
    sim::Folders().temp = c.temp;
    sim::AddFiles("C:\\Temp\\\nC:\\Temp2\\\nC:\\Users\\Benutzer\\AppData\\Local\\Temp\\Tessmar\\");
    sim::AddFiles((c.module + " = MZ Deinstallationsprogramm").c_str());
    sim::ScriptAnswers({win::kIdNo});

    ProcessOutcome run = RunProcess(StartOf(c.module, u"a0010407"));
    EXPECT_EQ(run.exitCode, 0);
    if (c.copy.empty()) {
      EXPECT_TRUE(run.started.empty());
      EXPECT_EQ(run.windowTitle, c.title);
      EXPECT_EQ(run.boxes.size(), 2u) << "the copy asks, and is answered No";
    } else {
      EXPECT_EQ(run.windowTitle, "") << "the first instance makes no window";
      EXPECT_EQ(run.boxes, Boxes{});
      ASSERT_EQ(run.started.size(), 1u);
      EXPECT_EQ(run.started[0].applicationName, c.copy);
      EXPECT_EQ(run.started[0].commandLine, "\"" + c.copy + "\" a0010407");
      ASSERT_NE(sim::FindEntry(c.copy), nullptr);
      EXPECT_EQ(sim::FindEntry(c.copy)->content, "MZ Deinstallationsprogramm");
    }
  }
}

// The copy replaces a writable file of its name and keeps only the archive
// attribute, whatever the program file had.
TEST_F(Relocation, TheCopyReplacesAnOldCopy) {
  Install(k32);
  sim::AddFiles(R"(
    C:\Programme\Tessmar\Uninstall_Oskaldrv.exe [RHA] = MZ neu
    C:\Users\Benutzer\AppData\Local\Temp\Uninstall_Oskaldrv.exe [A] = MZ alt
  )");
  ProcessOutcome run = RunProcess(StartOf(Uninstaller(k32), u"a0010407"));
  EXPECT_EQ(run.boxes, Boxes{});
  ASSERT_EQ(run.started.size(), 1u);
  EXPECT_TRUE(run.started[0].started);
  EXPECT_EQ(sim::FindEntry(kTempCopy)->content, "MZ neu");
  EXPECT_EQ(sim::FindEntry(kTempCopy)->attributes, win::kFileAttributeArchive);
}

// ----------------------------------------------- the copy held open ---

constexpr win::Dword kShareAll = win::kFileShareRead | win::kFileShareWrite | win::kFileShareDelete;

// What another process of the user tries on the copy in the moment the
// first instance starts it, and the error each attempt ends with.
struct Replacement {
  const char* name;
  bool (*attempt)();
};

// From its making until it has been started, the copy is open for reading
// with no write or delete sharing: another process can read it but cannot
// delete, overwrite or open it for writing, so the copy that is started is
// the one that was made.  Afterwards the copy is closed again.
TEST_F(Relocation, TheCopyCannotBeReplacedBeforeItIsStarted) {
  const Replacement replacements[] = {
      {"DeleteFileA", [] { return win::DeleteFileA(kTempCopy) != 0; }},
      {"CopyFileA over it", [] { return win::CopyFileA("C:\\Boese\\Uninstall_Oskaldrv.exe", kTempCopy, 0) != 0; }},
      {"CreateFileA for writing",
       [] {
         win::Handle h = win::CreateFileA(kTempCopy, win::kGenericWrite, win::kFileShareRead | win::kFileShareWrite,
                                          nullptr, win::kOpenExisting, 0, nullptr);
         if (h == win::kInvalidHandleValue) return false;
         win::CloseHandle(h);
         return true;
       }},
      {"CreateFileA for deleting",
       [] {
         win::Handle h =
             win::CreateFileA(kTempCopy, win::kDeleteAccess, kShareAll, nullptr, win::kOpenExisting, 0, nullptr);
         if (h == win::kInvalidHandleValue) return false;
         win::CloseHandle(h);
         return true;
       }},
  };
  for (WindowsKind kind : {k32, k64}) {
    for (const Replacement& r : replacements) {
      SCOPED_TRACE(std::string(r.name) + (Is64(kind) ? " on 64-bit" : " on 32-bit"));
      Install(kind);
      sim::AddFiles("C:\\Boese\\Uninstall_Oskaldrv.exe = MZ untergeschoben");
      bool replaced = true;
      win::Dword error = 0;
      bool readable = false;
      sim::BeforeNextProcessCreation([&] {
        replaced = r.attempt();
        error = win::GetLastError();
        win::Handle reader =
            win::CreateFileA(kTempCopy, win::kGenericRead, kShareAll, nullptr, win::kOpenExisting, 0, nullptr);
        readable = reader != win::kInvalidHandleValue;
        if (readable) win::CloseHandle(reader);
      });

      ProcessOutcome run = RunProcess(StartOf(Uninstaller(kind), u"a0010407"));
      EXPECT_FALSE(replaced);
      EXPECT_EQ(error, win::kErrorSharingViolation);
      EXPECT_TRUE(readable) << "reading the copy stays possible";
      EXPECT_EQ(run.boxes, Boxes{});
      ASSERT_EQ(run.started.size(), 1u);
      EXPECT_TRUE(run.started[0].started);
      EXPECT_EQ(sim::FindEntry(kTempCopy)->content, "MZ Deinstallationsprogramm");
      EXPECT_EQ(sim::OpenKernelHandles(), 0) << "the copy is closed once it has been started";
      EXPECT_TRUE(r.attempt()) << "afterwards the copy is free again";
    }
  }
}

// A copy replaced in the moment between its copying and its opening is
// found out by its content: it counts as a copy that failed and is not
// started.
TEST_F(Relocation, ACopyReplacedBeforeItIsHeldIsNotStarted) {
  for (WindowsKind kind : {k32, k64}) {
    SCOPED_TRACE(Is64(kind) ? "64-bit" : "32-bit");
    Install(kind);
    sim::AfterNextCopy([] {
      ASSERT_TRUE(win::DeleteFileA(kTempCopy));
      sim::AddFiles((std::string(kTempCopy) + " = MZ untergeschoben").c_str());
    });

    ProcessOutcome run = RunProcess(StartOf(Uninstaller(kind), u"a0010407"));
    EXPECT_EQ(run.boxes, (Boxes{FileWarningBox(CopyFailed(Uninstaller(kind), kTempCopy, "Fehlercode 1006")),
                                WarningBox(kCannotCopy)}));
    EXPECT_TRUE(run.started.empty());
    EXPECT_EQ(sim::OpenKernelHandles(), 0);
  }
}

// A copy that cannot be opened is one that cannot be kept from being
// replaced: it counts as a copy that failed, with the system's error, and
// is not started.
TEST_F(Relocation, ACopyThatCannotBeOpenedIsNotStarted) {
  for (WindowsKind kind : {k32, k64}) {
    SCOPED_TRACE(Is64(kind) ? "64-bit" : "32-bit");
    Install(kind);
    sim::FailNextFileCall("CreateFileA", win::kErrorSharingViolation);

    ProcessOutcome run = RunProcess(StartOf(Uninstaller(kind), u"a0010407"));
    const std::string sharing =
        "Fehlercode 32:\nDer Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess verwendet "
        "wird.\r\n";
    EXPECT_EQ(run.boxes,
              (Boxes{FileWarningBox(CopyFailed(Uninstaller(kind), kTempCopy, sharing)), WarningBox(kCannotCopy)}));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.started.empty());
    EXPECT_EQ(run.redirectionCalls, (Is64(kind) ? Items{"Disable", "Revert"} : Items{}));
    EXPECT_FALSE(run.redirectionOffAtEnd);
    EXPECT_EQ(sim::OpenKernelHandles(), 0);
  }
}

// ---------------------------------------------------------- failures ---

struct FailureCase {
  const char* name;
  void (*change)();
  Boxes boxes;
  bool started;  // the start of the copy was tried
};

// A copy that cannot be made or started is reported, by the failing
// operation first where there is one, and the first instance ends with
// redirection switched on again and nothing changed but the copy made.
TEST_F(Relocation, ACopyThatCannotBeMadeOrStartedIsReported) {
  const FailureCase cases[] = {
      {"OldCopyReadOnly",
       [] { sim::AddFiles("C:\\Users\\Benutzer\\AppData\\Local\\Temp\\Uninstall_Oskaldrv.exe [RA] = MZ alt"); },
       {FileWarningBox(CopyFailed(Uninstaller(k64), kTempCopy, kAccessDenied)), WarningBox(kCannotCopy)},
       false},
      {"TemporaryFolderMissing",
       [] { sim::Folders().temp = "C:\\Fehlt\\"; },
       {FileWarningBox(CopyFailed(Uninstaller(k64), "C:\\Fehlt\\Uninstall_Oskaldrv.exe",
                                  "Fehlercode 3:\nDas System kann den angegebenen Pfad nicht finden.\r\n")),
        WarningBox(kCannotCopy)},
       false},
      // A copy's path that does not fit is refused, never cut.
      {"CopyPathTooLong",
       [] { sim::Folders().temp = "C:\\" + std::string(240, 't') + "\\"; },
       {FileWarningBox(
            CopyFailed(Uninstaller(k64), "", "Fehlercode 206:\nDer Dateiname oder die Erweiterung ist zu lang.\r\n")),
        WarningBox(kCannotCopy)},
       false},
      // Without a temporary folder the program cannot tell which instance
      // it is; it makes no copy.
      {"NoTemporaryFolder", [] { sim::Folders().temp = ""; }, {WarningBox(kCannotCopy)}, false},
      {"StartFails",
       [] { sim::FailNextFileCall("CreateProcessA", win::kErrorAccessDenied); },
       {WarningBox("Folgender Programmstart konnte nicht durchgeführt werden:\nDatei: " + std::string(kTempCopy) +
                   "\nAusführen in: <NULL>\nParameter: a0010407\n\n" + kAccessDenied),
        WarningBox(kCannotStart)},
       true},
  };
  for (WindowsKind kind : {k32, k64}) {
    for (const FailureCase& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (Is64(kind) ? " on 64-bit" : " on 32-bit"));
      Install(kind);
      c.change();
      MachineSnapshot before = TakeSnapshot();

      ProcessOutcome run = RunProcess(StartOf(Uninstaller(kind), u"a0010407"));
      Boxes expected = c.boxes;
      if (!Is64(kind))
        for (std::string& box : expected) box = ReplaceAll(box, Uninstaller(k64), Uninstaller(k32));
      EXPECT_EQ(run.boxes, expected);
      EXPECT_EQ(run.exitCode, 0);
      EXPECT_EQ(run.windowTitle, "");
      EXPECT_TRUE(run.boxesOwnedByItsWindow) << "no window: the boxes have no owner";
      EXPECT_EQ(run.started.size(), c.started ? 1u : 0u);
      EXPECT_EQ(run.redirectionCalls, (Is64(kind) ? Items{"Disable", "Revert"} : Items{}));
      EXPECT_FALSE(run.redirectionOffAtEnd);
      if (c.started) {
        EXPECT_NE(sim::FindEntry(kTempCopy), nullptr) << "the copy was made before its start failed";
      } else {
        EXPECT_EQ(TakeSnapshot(), before);
      }
    }
  }
}

// The program's own path, cut to the buffer, would name another file: the
// program makes no copy of it.
TEST_F(Relocation, AnOwnPathThatDoesNotFitMakesNoCopy) {
  Install(k32);
  std::string module = "C:\\" + std::string(240, 'p') + "\\Uninstall_Oskaldrv.exe";
  sim::AddFiles((module + " = MZ").c_str());
  MachineSnapshot before = TakeSnapshot();

  ProcessOutcome run = RunProcess(StartOf(module, u"a0010407"));
  // The name is taken from the cut path: 259 characters keep "Uninstall_Oskal".
  EXPECT_EQ(run.boxes, Boxes{DescribeBox("Uninstall_Oskal", 0x30, kCannotCopy)});
  EXPECT_TRUE(run.started.empty());
  EXPECT_EQ(TakeSnapshot(), before);
}

// ---------------------------------------------------------- arguments ---

// A refused argument ends the first instance before any folder is looked
// up: no copy, no redirection call, nothing changed.
TEST_F(Relocation, ARefusedArgumentMakesNoCopy) {
  const std::string prefix = "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen ";
  const struct {
    std::u16string arguments;
    std::string warning;
  } cases[] = {
      {u"", prefix + "(Angabe fehlt)"},
      {u"a0010407 a0020407", prefix + "(Angabe fehlt)"},
      {u"a001407", prefix + "(Länge nicht 8 Zeichen):\na001407"},
      {u"00000407", prefix + "(Schlüssel für Standardtastatur: nicht deinstallierbar):\n00000407"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.warning);
    Install(k64);
    MachineSnapshot before = TakeSnapshot();
    std::vector<ProcessOutcome> runs = RunUninstallCommand(k64, c.arguments);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].boxes, Boxes{WarningBox(c.warning)});
    EXPECT_EQ(runs[0].redirectionCalls, Items{});
    EXPECT_EQ(TakeSnapshot(), before);
  }
}

// Quoted, an argument with a blank is one argument to the first instance
// and passes its checks; the copy gets it unquoted, as two, and refuses.
TEST_F(Relocation, AnArgumentWithABlankIsRefusedByTheCopy) {
  Install(k64);
  std::string registryBefore = sim::DumpRegistry();
  Items productBefore = ProductLeft(k64);
  std::vector<ProcessOutcome> runs = RunUninstallCommand(k64, u"\"a0 10407\"");
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].boxes, Boxes{});
  ASSERT_EQ(runs[0].started.size(), 1u);
  EXPECT_EQ(runs[0].started[0].commandLine, std::string("\"") + kTempCopy + "\" a0 10407");

  EXPECT_EQ(runs[1].module, kTempCopy);
  EXPECT_EQ(runs[1].boxes,
            Boxes{WarningBox(
                "Deinstallationsprogramm nicht mit gültigem Registry-Key die Tastatur aufgerufen (Angabe fehlt)")});
  EXPECT_EQ(runs[1].windowTitle, "");
  EXPECT_EQ(runs[1].redirectionCalls, Items{});
  EXPECT_TRUE(runs[1].started.empty());
  EXPECT_EQ(ProductLeft(k64), productBefore);
  EXPECT_EQ(sim::DumpRegistry(), registryBefore);
}

}  // namespace
