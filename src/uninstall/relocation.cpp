#include "uninstall/relocation.h"

#include <cstring>

#include "files/file_operations.h"
#include "files/paths.h"
#include "files/system_folders.h"
#include "shell/launcher.h"
#include "shell/message_boxes.h"
#include "shell/shell_state.h"
#include "shell/texts.h"
#include "uninstall/layout_key.h"
#include "uninstall/product_profile.h"

namespace {

const char kCannotCopy[] =
    "Deinstallationsprogramm kann nicht in ein temporäres Verzeichnis kopiert werden, um sein Original löschen zu "
    "können";
const char kCannotStart[] =
    "Deinstallationsprogramm kann Kopie im temporären Verzeichnis nicht starten, um sein Original löschen zu können";

// The capital of a letter of code page 1252, the paths' code page: a
// user's folder may well be named with an umlaut, and the file system
// does not tell its cases apart either.
unsigned char UpperLetter(char c) {
  unsigned char byte = static_cast<unsigned char>(c);
  if (byte >= 'a' && byte <= 'z') return static_cast<unsigned char>(byte - 0x20);
  if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7) return static_cast<unsigned char>(byte - 0x20);  // à..þ
  if (byte == 0x9A || byte == 0x9C || byte == 0x9E) return static_cast<unsigned char>(byte - 0x10);  // š œ ž
  if (byte == 0xFF) return 0x9F;                                                                     // ÿ
  return byte;
}

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix)
    if (UpperLetter(*text) != UpperLetter(*prefix)) return false;
  return true;
}

const char* FileNamePart(const char* path) {
  for (int i = static_cast<int>(std::strlen(path)) - 1; i >= 0; --i)
    if (path[i] == ':' || path[i] == '/' || path[i] == '\\') return path + i + 1;
  return path;
}

bool GiveUp(const char* warning) {
  ShowWarning(warning);
  RevertFsRedirection();
  return false;
}

}  // namespace

bool RelocateToTemp() {
  if (!ValidateLayoutKey()) return false;
  InitSystemFolders();

  // Without a temporary folder and its own path the program cannot tell
  // whether it is the copy; a cut path would name another file.  Both count
  // as a copy that could not be made.
  char tempDir[kMaxPath] = {};
  win::Dword tempLength = win::GetTempPathA(kMaxPath, tempDir);
  bool haveTempDir = tempLength > 0 && tempLength < kMaxPath && AppendSeparator(tempDir, kMaxPath);
  char ownPath[kMaxPath] = {};
  win::Dword ownLength = win::GetModuleFileNameA(Shell.AppInstance, ownPath, kMaxPath);
  bool haveOwnPath = ownLength > 0 && ownLength < kMaxPath;
  if (!haveTempDir || !haveOwnPath) return GiveUp(kCannotCopy);

  if (StartsWithIgnoringCase(ownPath, tempDir)) {
    // This is the copy: redirection stays off for the uninstall sequence.
    FormatInto(Shell.WindowTitle, kMaxPath, WindowTitleFormat, Shell.ProgramName, ProductVersion);
    return true;
  }

  // A copy path that does not fit stays empty, and the copy reports that.
  char copyPath[kMaxPath] = {};
  ComposePath(copyPath, kMaxPath, tempDir, FileNamePart(ownPath));
  // The copy stays open from its making until it has been started: the copy
  // that runs, usually elevated, is the one made here, not one that another
  // process put in its place meanwhile.
  win::Handle heldCopy = win::kInvalidHandleValue;
  if (!CopyFileReported(ownPath, copyPath, &heldCopy)) return GiveUp(kCannotCopy);
  bool started = RunProgram(copyPath, Shell.CommandLineArgs[0]);
  win::CloseHandle(heldCopy);
  if (!started) return GiveUp(kCannotStart);
  RevertFsRedirection();
  return false;
}
