#include <cstring>
#include <string>

#include "files/file_operations.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_windows.h"
#include "shell/status_window.h"
#include "test_process.h"

namespace {

const char kCaption[] = "Tastaturtreiber-Deinstallation";
const char kProduct[] = "C:\\Programme\\Tessmar";

class FileOperations : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    std::strcpy(Shell.ProgramName, "Uninstall_Oskaldrv");
    sim::AddFiles(R"(
      C:\Programme\Tessmar\Uninstall_Oskaldrv.exe = MZ neu
      C:\Programme\Tessmar\Schreibgeschuetzt.pdf [RA]
      C:\Programme\Tessmar\Leer\
    )");
  }
  // The one box shown, checked for caption, icon and text.
  void ExpectOneWarning(const std::string& text) {
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
    EXPECT_EQ(box.caption, kCaption);
    EXPECT_EQ(box.type, win::kMbOk | win::kMbIconExclamation);
    EXPECT_EQ(box.text, text);
  }
};

// ------------------------------------------------------------------ copy ---
TEST_F(FileOperations, CopyReplacesTheTargetAndLeavesOnlyTheArchiveAttribute) {
  sim::AddFiles(R"(
    C:\Temp\Uninstall_Oskaldrv.exe = alt
    C:\Quelle\Schreibgeschuetzt.exe [RHS] = MZ geschuetzt
  )");
  EXPECT_TRUE(CopyFileReported("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", "C:\\Temp\\Uninstall_Oskaldrv.exe"));
  EXPECT_EQ(sim::FindEntry("C:\\Temp\\Uninstall_Oskaldrv.exe")->content, "MZ neu");
  EXPECT_EQ(sim::FindEntry("C:\\Temp\\Uninstall_Oskaldrv.exe")->attributes, win::kFileAttributeArchive);

  EXPECT_TRUE(CopyFileReported("C:\\Quelle\\Schreibgeschuetzt.exe", "C:\\Temp\\Kopie.exe"));
  EXPECT_EQ(sim::FindEntry("C:\\Temp\\Kopie.exe")->attributes, win::kFileAttributeArchive)
      << "read-only, hidden and system came over with the copy and are cleared";
  EXPECT_TRUE(sim::MessageBoxes().empty());
  EXPECT_STREQ(Shell.StatusText, "") << "copying does not touch the status line";
}

TEST_F(FileOperations, AFailedCopyNamesSourceAndTarget) {
  EXPECT_FALSE(CopyFileReported("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", "C:\\Fehlt\\Kopie.exe"));
  ExpectOneWarning(
      "Kopieren einer Datei fehlgeschlagen.\n\nQuelle: C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe\n"
      "Ziel: C:\\Fehlt\\Kopie.exe\n\nFehlercode 3:\nDas System kann den angegebenen Pfad nicht finden.\r\n");
  EXPECT_EQ(sim::FindEntry("C:\\Fehlt\\Kopie.exe"), nullptr);
}

// ---------------------------------------------------------------- delete ---
TEST_F(FileOperations, DeletingAMissingFileIsQuietSuccess) {
  SetStatusText("vorher");
  EXPECT_TRUE(DeleteFileReported("C:\\Programme\\Tessmar\\fehlt.pdf"));
  EXPECT_TRUE(DeleteFileReported("C:\\Fehlt\\fehlt.pdf"));
  EXPECT_STREQ(Shell.StatusText, "vorher");
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(FileOperations, DeletingAnnouncesThePathInTheStatusLine) {
  EXPECT_TRUE(DeleteFileReported("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe"));
  EXPECT_EQ(sim::FindEntry("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe"), nullptr);
  EXPECT_STREQ(Shell.StatusText, "Lösche C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe ...");
  EXPECT_EQ(static_cast<unsigned char>(Shell.StatusText[1]), 0xF6) << "ö in code page 1252";
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

// A lookup that fails for another reason than "not found" does not prove the
// file gone: the delete is tried, and the file is not reported as deleted
// while it is still there.
TEST_F(FileOperations, AFailedLookupIsNotTakenForAMissingFile) {
  sim::FailNextFileCall("FindFirstFileA", win::kErrorAccessDenied);
  EXPECT_TRUE(DeleteFileReported("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe"));
  EXPECT_EQ(sim::FindEntry("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe"), nullptr);

  sim::FailNextFileCall("FindFirstFileA", win::kErrorAccessDenied);
  EXPECT_FALSE(DeleteFileReported("C:\\Programme\\Tessmar\\Schreibgeschuetzt.pdf"));
  ExpectOneWarning(
      "Folgende Datei kann nicht gelöscht werden:\nC:\\Programme\\Tessmar\\Schreibgeschuetzt.pdf\n\nFehlercode "
      "5:\nZugriff verweigert\r\n");
}

struct DeleteFailure {
  const char* name;
  const char* path;
  const char* errorText;
};

// The file stays, the status line still announces it, and one warning names
// it with the system's reason.
TEST_F(FileOperations, AFileThatCannotBeDeletedIsReported) {
  const DeleteFailure cases[] = {
      {"read-only", "C:\\Programme\\Tessmar\\Schreibgeschuetzt.pdf", "Fehlercode 5:\nZugriff verweigert\r\n"},
      {"held open without delete sharing", "C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe",
       "Fehlercode 32:\nDer Prozess kann nicht auf die Datei zugreifen, da sie von einem anderen Prozess "
       "verwendet wird.\r\n"},
  };
  for (const DeleteFailure& c : cases) {
    SetUp();
    win::Handle held = win::CreateFileA("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", win::kGenericRead,
                                        win::kFileShareRead, nullptr, win::kOpenExisting, 0, nullptr);
    ASSERT_NE(held, win::kInvalidHandleValue);
    EXPECT_FALSE(DeleteFileReported(c.path)) << c.name;
    ExpectOneWarning(std::string("Folgende Datei kann nicht gelöscht werden:\n") + c.path + "\n\n" + c.errorText);
    EXPECT_NE(sim::FindEntry(c.path), nullptr) << c.name;
    EXPECT_EQ(std::string(Shell.StatusText), std::string("Lösche ") + c.path + " ...") << c.name;
  }
}

// ------------------------------------------------------ remove directory ---
TEST_F(FileOperations, RemovingAnEmptyDirectoryAnnouncesIt) {
  EXPECT_TRUE(RemoveDirectoryReported("C:\\Programme\\Tessmar\\Leer"));
  EXPECT_EQ(sim::FindEntry("C:\\Programme\\Tessmar\\Leer"), nullptr);
  EXPECT_STREQ(Shell.StatusText, "Lösche Verzeichnis C:\\Programme\\Tessmar\\Leer ...");
  EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(FileOperations, ADirectoryThatStillHoldsFilesStaysWithThem) {
  std::vector<std::string> before = sim::ListTree();
  EXPECT_FALSE(RemoveDirectoryReported(kProduct));
  ExpectOneWarning(
      "Folgendes Verzeichnis kann nicht gelöscht werden:\nC:\\Programme\\Tessmar\n\n"
      "Fehlercode 145:\nDas Verzeichnis ist nicht leer.\r\n");
  EXPECT_EQ(sim::ListTree(), before);
  EXPECT_STREQ(Shell.StatusText, "Lösche Verzeichnis C:\\Programme\\Tessmar ...");
}

TEST_F(FileOperations, AMissingDirectoryIsReported) {
  EXPECT_FALSE(RemoveDirectoryReported("C:\\Programme\\Fehlt"));
  ExpectOneWarning(
      "Folgendes Verzeichnis kann nicht gelöscht werden:\nC:\\Programme\\Fehlt\n\n"
      "Fehlercode 2:\nDas System kann die angegebene Datei nicht finden.\r\n");
}

// ------------------------------------------------ paths that did not fit ---
// An empty path is what ComposePath leaves of one that did not fit: each
// operation refuses it before the system sees it, and says why.
TEST_F(FileOperations, APathThatDidNotFitIsRefusedAndReported) {
  std::vector<std::string> before = sim::ListTree();
  const char kTooLong[] = "Fehlercode 206:\nDer Dateiname oder die Erweiterung ist zu lang.\r\n";
  struct Case {
    bool (*operation)();
    std::string text;
  } cases[] = {
      {[] { return CopyFileReported("C:\\Programme\\Tessmar\\Uninstall_Oskaldrv.exe", ""); },
       std::string("Kopieren einer Datei fehlgeschlagen.\n\nQuelle: C:\\Programme\\Tessmar\\"
                   "Uninstall_Oskaldrv.exe\nZiel: \n\n") +
           kTooLong},
      {[] { return DeleteFileReported(""); },
       std::string("Folgende Datei kann nicht gelöscht werden:\n\n\n") + kTooLong},
      {[] { return RemoveDirectoryReported(""); },
       std::string("Folgendes Verzeichnis kann nicht gelöscht werden:\n\n\n") + kTooLong},
  };
  for (const Case& c : cases) {
    SetUp();
    EXPECT_FALSE(c.operation());
    ExpectOneWarning(c.text);
    EXPECT_EQ(sim::ListTree(), before);
    EXPECT_STREQ(Shell.StatusText, "") << "nothing is announced that is not done";
  }
}

}  // namespace
