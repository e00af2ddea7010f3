// Control of the simulated file system, shell folders and processes: what a
// test sets up before the program runs and what it reads back afterwards.
//
// The file tree belongs to the machine and outlives process starts; the
// redirection setting belongs to the process (its one thread) and starts
// switched on with every process.  Paths are compared without regard to
// letter case; names keep the case they were created with.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/windows_api.h"

namespace sim {

// ------------------------------------------------------------ the tree ---
// Adds entries to the file tree, one a line; blank lines and leading blanks
// are skipped and missing parent directories are made:
//   C:\dir\                  a directory (trailing backslash)
//   C:\dir\file.txt          an empty file with the archive attribute
//   C:\dir\prog.exe = MZ     a file with content (a program starts only
//                            when its content begins with "MZ")
//   C:\dir\x.dll [RHS]       the attributes, all of them: R read-only,
//                            H hidden, S system, A archive; [] for none
// Attributes and content may be combined: "C:\a.exe [RA] = MZ".
void AddFiles(const char* tree);

struct FileEntry {
  std::string path;  // full path in the case it was created with
  bool directory;
  win::Dword attributes;  // as FindFirstFileA reports them
  std::string content;
};
// The entry at exactly this path (no redirection), or null.
const FileEntry* FindEntry(const std::string& path);
// Every path in the tree, in the order of a case-insensitive sort: a test
// compares two of these to prove that nothing changed.
std::vector<std::string> ListTree();

// ------------------------------------------------------------ folders ---
// The folders the machine answers with.  An empty text makes the query for
// it fail (the shell does not know the folder, GetSystemDirectoryA returns
// 0); a path of 260 characters or more is one the shell cannot hand out.
// ResetMachine makes each of them as a directory.
struct FolderSettings {
  std::string windows = "C:\\WINDOWS";
  std::string system = "C:\\WINDOWS\\system32";
  std::string systemWow64 = "C:\\WINDOWS\\SysWOW64";  // only on 64-bit Windows
  std::string temp = "C:\\Users\\Benutzer\\AppData\\Local\\Temp\\";
  std::string programFiles = "C:\\Programme";               // a 32-bit process on 32-bit Windows
  std::string programFilesX86 = "C:\\Program Files (x86)";  // a 32-bit process on 64-bit Windows
  std::string desktop = "C:\\Users\\Benutzer\\Desktop";
  std::string current = "C:\\WINDOWS\\system32";  // relative paths start here
};
FolderSettings& Folders();

// ---------------------------------------------------------- redirection ---
// On 64-bit Windows the 32-bit process's paths into the system folder lead
// to the 32-bit system folder unless redirection is switched off.  Exempt
// subfolders (drivers\etc and the like) are not modelled.
bool FsRedirectionOff();
// The process's calls, in order: "Disable" and "Revert" (also failed ones).
const std::vector<std::string>& RedirectionCalls();

// ------------------------------------------------------------ handles ---
// Kernel handles open in any process: files (CreateFileA), processes and
// threads (CreateProcessA).  Searches are counted apart.
int OpenKernelHandles();
int OpenSearches();

// ---------------------------------------------------------- processes ---
struct ProcessCreation {
  std::string applicationName;  // empty when none was given
  std::string commandLine;
  bool processAttributes;  // true when not null
  bool threadAttributes;
  bool inheritHandles;
  win::Dword creationFlags;
  bool environment;              // true when an environment block was given
  std::string currentDirectory;  // empty when none was given
  win::StartupInfoA startupInfo;
  bool started;
  win::Dword error;  // the last error of a failed start
};
const std::vector<ProcessCreation>& CreatedProcesses();
// Runs once, inside the next CreateProcessA, before the start is checked:
// what another process might do just as the program starts one.
void BeforeNextProcessCreation(std::function<void()> action);
// Runs the action right after the next successful CopyFileA returns its
// copy, as another process could in that moment.
void AfterNextCopy(std::function<void()> action);

// Files scheduled with MoveFileExA and MOVEFILE_DELAY_UNTIL_REBOOT.
struct PendingRename {
  std::string existing;
  bool deleteOnly;  // no new name: deleted at the next restart
  std::string newName;
  win::Dword flags;
};
const std::vector<PendingRename>& PendingRenames();

win::Dword SleptMilliseconds();

// -------------------------------------------------------------- shell ---
struct FolderQuery {
  win::HWnd owner;
  int csidl;
};
const std::vector<FolderQuery>& FolderQueries();
int LiveItemIdLists();      // allocated by the shell, not yet freed
int AllocatorReferences();  // SHGetMalloc references not yet released

// --------------------------------------------------------------- faults ---
// The next call of the named function fails with the given code (a last
// error, or an HRESULT for SHGetMalloc).  Named: "SHGetMalloc",
// "CopyFileA", "DeleteFileA", "RemoveDirectoryA", "CreateProcessA",
// "FindFirstFileA", "CreateFileA".
void FailNextFileCall(const std::string& call, win::Dword error);

// ------------------------------------------------------------ internal ---
// Called by the machine: a new process gets its own redirection setting.
void StartFilesProcess();
// The WOW64 redirection calls that GetProcAddress hands out of kernel32.
win::Bool WINAPI_CALL SimWow64DisableWow64FsRedirection(void** oldValue);
win::Bool WINAPI_CALL SimWow64RevertWow64FsRedirection(void* oldValue);

}  // namespace sim
