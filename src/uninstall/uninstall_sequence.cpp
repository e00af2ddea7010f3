#include "uninstall/uninstall_sequence.h"

#include "files/file_operations.h"
#include "files/files_state.h"
#include "files/paths.h"
#include "files/shell_folders.h"
#include "files/system_folders.h"
#include "layouts/layout_lists_writer.h"
#include "layouts/layout_names.h"
#include "layouts/layout_removal.h"
#include "layouts/layout_scan.h"
#include "layouts/layouts_state.h"
#include "layouts/registry_access.h"
#include "shell/message_boxes.h"
#include "shell/shell_state.h"
#include "uninstall/product_profile.h"
#include "uninstall/uninstall_entry.h"
#include "uninstall/uninstall_state.h"

namespace {

const char kCataloguePath[] = "System\\CurrentControlSet\\Control\\Keyboard Layouts";

// Every way out of the sequence switches redirection back on.
bool Leave() {
  RevertFsRedirection();
  return false;
}

// The checks before anything is changed; false after the refusal's warning.
bool RegistryMatchesProduct() {
  if (!ScanLayouts()) {
    ShowWarning("%s", Layouts.RegistryProblemText);
    return false;
  }
  if (Layouts.LayoutIndex < 0 || Layouts.LayoutIndex >= Layouts.CatalogueCount) {
    ShowWarning(
        "Der Registry-Key des zu deinstallierenden Tastaturtreibers wurde nicht gefunden.\nTreiber: %sKey: "
        "%s\nDLL: %s.DLL",
        DriverDisplayName, Uninstall.LayoutKeyName, DriverDllBaseName);
    return false;
  }
  const CatalogueEntry& entry = Layouts.LayoutCatalogue[Layouts.LayoutIndex];
  if (!entry.haslayoutfile) {
    ShowWarning(
        "Der Registry-Key des zu deinstallierenden Tastaturtreibers enthält keine Treiberdatei-Angabe.\nTreiber: "
        "%sKey: %s\nDLL: %s.DLL",
        DriverDisplayName, Uninstall.LayoutKeyName, DriverDllBaseName);
    return false;
  }
  if (!SameTextIgnoringCase(entry.layoutfile, DriverDllFileName)) {
    ShowWarning(
        "Der Registry-Key des zu deinstallierenden Tastaturtreibers enthält eine andere Treiberdatei-Angabe als zum "
        "Zeitpunkt der Installation.\nAus Sicherheitsgründen wird daher die Deinstallation jetzt nicht "
        "durchgeführt.\nTreiber: %sKey: %s\nDLL bei Installation: %s.DLL\nDLL jetzt: %s",
        DriverDisplayName, Uninstall.LayoutKeyName, DriverDllBaseName, entry.layoutfile);
    return false;
  }
  if (Layouts.PreloadCount == 1) {
    ShowWarning(
        "In den Windows-Spracheinstellungen ist die zu deinstallierende Tastaturbelegung derzeit als einzig "
        "auswählbare Belegung hinterlegt.\nBitte Wählen Sie dort erst eine andere Tastaturbelegung, bevor Sie die "
        "hier gewählte deinstallieren.");
    return false;
  }
  return true;
}

// Deletes the driver file in the system folder, or has the user accept that
// it is missing.  False when the uninstall must stop, with nothing changed.
bool DriverFileRemoved() {
  char driverPath[kMaxPath] = {};
  // A path that does not fit stays empty: reported as a file that cannot be
  // deleted, never taken for a missing one.
  bool composed = ComposePath(driverPath, kMaxPath, Files.SystemDir, DriverDllFileName);
  if (!composed || !FileIsMissing(driverPath)) {
    if (DeleteFileReported(driverPath)) return true;
    ShowInfo("Fehler bei Deinstallation von %s:\nFolgende Treiberdatei konnte nicht gelöscht werden:\n  %s",
             DriverDisplayName, composed ? driverPath : DriverDllFileName);
    return false;
  }
  return AskYesNo(
             "Problem bei Deinstallation von %s:\nTreiberdatei nicht (mehr) vorhanden:\n  %s\n\nTrotzdem "
             "fortfahren?",
             DriverDisplayName, driverPath) == win::kIdYes;
}

// The 32-bit system folder's copy of the driver, on 64-bit Windows only;
// nothing is reported.
void RemoveWow64DriverFile() {
  win::Sleep(100);
  char path[kMaxPath] = {};
  if (ComposePath(path, kMaxPath, Files.SystemWow64Dir, DriverDllFileName) && FileExists(path)) win::DeleteFileA(path);
}

void RemoveFromUserLists() {
  RemoveLayoutFromLists();
  if (!WriteLayoutLists())
    ShowInfo("Warnung bei Deinstallation von %s:\nProblem bei Registry-Key-Update:\n  %s", DriverDisplayName,
             Layouts.RegistryProblemText);
}

void RemoveLayoutKey() {
  win::HKey catalogue = OpenKeyRead(win::kHKeyLocalMachine, kCataloguePath);
  if (catalogue == nullptr) {
    ShowWarning("Warnung:\nFehler beim Öffnen des Registry-Keys HKEY_LOCAL_MACHINE\\%s", kCataloguePath);
    return;
  }
  if (!DeleteKeyTree(catalogue, Uninstall.LayoutKeyName))
    ShowWarning("Warnung:\nFehler beim Löschen des Registry-Keys %s - %s", kCataloguePath, Uninstall.LayoutKeyName);
  win::RegCloseKey(catalogue);
}

void RemoveProductFolder() {
  const char* const files[] = {UninstallerFileName, HelpDocumentFileName, HelpIconFileName};
  for (const char* name : files) {
    char path[kMaxPath] = {};
    bool composed = ComposePath(path, kMaxPath, Files.InstallDir, name);
    if ((!composed || !FileIsMissing(path)) && !DeleteFileReported(path))
      ShowInfo("Warnung bei Deinstallation von %s:\nFolgende Hilfsdatei konnte nicht gelöscht werden:\n  %s",
               DriverDisplayName, composed ? path : name);
  }
  if (!RemoveDirectoryReported(Files.InstallDir))
    ShowInfo(
        "Warnung bei Deinstallation von %s:\nFolgendes Hilfsverzeichnis konnte nicht entfernt werden (möglicherweise "
        "ist es nicht leer):\n  %s",
        DriverDisplayName, Files.InstallDir);
}

// The copy in the temporary folder cannot delete itself while it runs: it
// goes at the next restart.  A cut path would name another file, so only a
// whole one is scheduled.
void ScheduleOwnDeletion() {
  char ownPath[kMaxPath] = {};
  win::Dword length = win::GetModuleFileNameA(win::GetModuleHandleA(nullptr), ownPath, kMaxPath);
  if (length > 0 && length < kMaxPath) win::MoveFileExA(ownPath, nullptr, win::kMoveFileDelayUntilReboot);
}

}  // namespace

bool RunUninstall() {
  if (!RegistryMatchesProduct()) return Leave();
  if (AskYesNo("Soll folgender Tastatur-Treiber deinstalliert werden?\n\n%s", DriverDisplayName) != win::kIdYes) {
    ShowInfo("Deinstallation abgebrochen.");
    return Leave();
  }
  if (!DriverFileRemoved()) return Leave();

  // From here on nothing stops the uninstall: each failure is reported and
  // the next step follows.
  if (Shell.IsWow64) RemoveWow64DriverFile();
  RemoveFromUserLists();
  RemoveLayoutKey();
  DeleteShortcut(Shell.MainWindow, HelpDocumentBaseName);
  RemoveProductFolder();
  UpdateUninstallEntry(UninstallEntryName);
  ShowInfo("Folgender Tastatur-Treiber wurde deinstalliert:\n%s", DriverDisplayName);
  ScheduleOwnDeletion();
  return Leave();
}
