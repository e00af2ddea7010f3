// The end-to-end tests' helper inside a Wine prefix: it lays out the
// installed product and each scenario's changes to it, dumps the registry
// trees that the program under test works on, and holds a file open.
//
//   fixture_tool.exe apply FILE [DUMP]  apply the changes in FILE; then, if DUMP
//                                       is given, write the dump into it
//   fixture_tool.exe dump FILE          write the dump into FILE
//   fixture_tool.exe hold PATH EVENT    (started by "hold" lines) open PATH
//                                       without delete sharing, signal EVENT,
//                                       keep it open until C:\e2e\release exists
//
// It links neither user32 nor gdi32: every Wine process that loads user32
// rewrites HKCU\Keyboard Layout\Preload value "1", and this tool must see and
// leave the registry as it is. It is built for the same processor as the
// program under test, so its registry view and Program Files folder are the
// program's; file-system redirection is off, so %SystemRoot%\system32 is the
// native system folder also under WOW64.
//
// FILE holds one change a line (UTF-8, fields separated by '|', '#' starts a
// comment line; %VARIABLES% in paths and value data are expanded, not in
// file contents):
//
//   key|ROOT\PATH                  create the key
//   delete|ROOT\PATH               delete the key with its subkeys (missing: no error)
//   value|ROOT\PATH|NAME|DATA      set a REG_SZ value (the key is created)
//   novalue|ROOT\PATH|NAME         delete a value
//   lock|ROOT\PATH                 create the key if needed; from now on it grants
//                                  everything except setting values and creating
//                                  subkeys, but the following "value" lines of the
//                                  same FILE still write into it
//   deny|ROOT\PATH                 the key cannot be opened (only its security can be changed)
//   unlock|ROOT\PATH               the key grants everything again
//   folder|PATH                    create a folder
//   file|PATH|CONTENT              create or replace a file
//   remove|PATH                    delete a file
//   readonly|PATH                  give a file the read-only attribute
//   hold|PATH                      keep PATH open without delete sharing, in a
//                                  process of its own, until C:\e2e\release exists
//   wow64:LINE                     LINE only under WOW64 (32-bit program on 64-bit Windows)
//
// ROOT is HKCU or HKLM. Key security lives only as long as the prefix's
// wineserver: Wine does not keep it in the registry files.
//
// The dump: one line per key and per value, in the native registry view, of
//   HKCU\Keyboard Layout
//   HKLM\System\CurrentControlSet\Control\Keyboard Layouts
//   HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall
//   HKLM\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall
//   HKLM\System\CurrentControlSet\Control\Session Manager, value PendingFileRenameOperations
// A key is written as its path; a value as the key's path, its place among the
// key's values in brackets (the order Windows enumerates, which is the order
// of writing), its name and its data:
//   HKCU\Keyboard Layout\Preload [0] "1" = "00000407"
// Texts are quoted as the UI robot quotes them, with the user's profile folder
// written as %USERPROFILE%. A key that cannot be opened is written with
// "(cannot be opened: error N)".
//
// Exit code: 0 done, 1 a change or the dump failed (the reason on stderr),
// 2 usage.
#include <windows.h>
// after windows.h, whose types they need
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

const int kLineChars = 4096;
const int kNameChars = 16384;  // a value name may have 16,383 characters
const DWORD kHoldWaitMs = 10000;
const DWORD kHoldMaxMs = 600000;  // a holder left behind ends by itself
const wchar_t kReleaseFile[] = L"C:\\e2e\\release";

const int kExitOk = 0;
const int kExitFailed = 1;
const int kExitUsage = 2;

bool IsWow64 = false;
wchar_t UserProfile[MAX_PATH] = L"";

// The reason for a failure, as UTF-8 on the standard error handle (the C
// runtime's wide streams write nothing into a pipe under Wine).
void Fail(const wchar_t* format, ...) {
  wchar_t text[kLineChars];
  int n = swprintf(text, kLineChars, L"fixture_tool: ");
  va_list args;
  va_start(args, format);
  vswprintf(text + n, kLineChars - n - 2, format, args);
  va_end(args);
  wcscat(text, L"\n");
  char bytes[kLineChars * 3];
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, (int)sizeof bytes, nullptr, nullptr);
  DWORD written = 0;
  if (size > 1) WriteFile(GetStdHandle(STD_ERROR_HANDLE), bytes, (DWORD)(size - 1), &written, nullptr);
}

// ---- set-up -----------------------------------------------------------------

void DetectWow64AndRedirection() {
  typedef BOOL(WINAPI * IsWow64Fn)(HANDLE, PBOOL);
  typedef BOOL(WINAPI * DisableFn)(PVOID*);
  HMODULE kernel = GetModuleHandleW(L"kernel32");
  IsWow64Fn isWow64 = (IsWow64Fn)(void*)GetProcAddress(kernel, "IsWow64Process");
  BOOL wow = FALSE;
  if (isWow64 && isWow64(GetCurrentProcess(), &wow)) IsWow64 = wow != FALSE;
  DisableFn disable = (DisableFn)(void*)GetProcAddress(kernel, "Wow64DisableWow64FsRedirection");
  PVOID old = nullptr;
  if (IsWow64 && disable) disable(&old);
  DWORD n = GetEnvironmentVariableW(L"USERPROFILE", UserProfile, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) UserProfile[0] = 0;
}

bool Expand(const wchar_t* in, wchar_t* out, int outChars) {
  DWORD n = ExpandEnvironmentStringsW(in, out, outChars);
  return n > 0 && n <= (DWORD)outChars;
}

// Splits "ROOT\PATH" into the root key and the path after it.
bool SplitRoot(const wchar_t* full, HKEY* root, const wchar_t** path) {
  struct Root {
    const wchar_t* name;
    HKEY key;
  };
  const Root roots[] = {{L"HKCU\\", HKEY_CURRENT_USER}, {L"HKLM\\", HKEY_LOCAL_MACHINE}};
  for (const Root& r : roots) {
    size_t n = wcslen(r.name);
    if (_wcsnicmp(full, r.name, n) == 0 && full[n]) {
      *root = r.key;
      *path = full + n;
      return true;
    }
  }
  return false;
}

// Gives the key a security descriptor whose one entry grants Everyone the
// rights given.
bool SetKeyRights(HKEY key, const wchar_t* full, DWORD rights) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) return false;
  BYTE aclBuffer[256];
  ACL* acl = (ACL*)aclBuffer;
  SECURITY_DESCRIPTOR sd;
  bool ok = InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
            AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone) &&
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
  FreeSid(everyone);
  LONG rc = ok ? RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd) : ERROR_INVALID_PARAMETER;
  if (rc != ERROR_SUCCESS) Fail(L"cannot change the security of %ls (error %ld)", full, rc);
  return rc == ERROR_SUCCESS;
}

// Keys locked by this run, each with a handle opened before the lock, through
// which the following lines still write its values.
struct LockedKey {
  wchar_t path[MAX_PATH * 2];
  HKEY key;
};
const int kMaxLocked = 8;
LockedKey Locked[kMaxLocked];
int LockedCount = 0;

HKEY FindLocked(const wchar_t* full) {
  for (int i = 0; i < LockedCount; ++i)
    if (_wcsicmp(Locked[i].path, full) == 0) return Locked[i].key;
  return nullptr;
}

void CloseLocked() {
  for (int i = 0; i < LockedCount; ++i) RegCloseKey(Locked[i].key);
  LockedCount = 0;
}

bool CreateKeyPath(const wchar_t* full, HKEY* out) {
  HKEY root;
  const wchar_t* path;
  if (!SplitRoot(full, &root, &path)) {
    Fail(L"%ls: the key must begin with HKCU\\ or HKLM\\", full);
    return false;
  }
  LONG rc = RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, out, nullptr);
  if (rc != ERROR_SUCCESS) Fail(L"cannot create %ls (error %ld)", full, rc);
  return rc == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const wchar_t* path) {
  HKEY key;
  LONG rc = RegOpenKeyExW(root, path, 0, KEY_ALL_ACCESS, &key);
  if (rc == ERROR_FILE_NOT_FOUND) return true;
  if (rc != ERROR_SUCCESS) return false;
  static wchar_t child[kNameChars];
  bool ok = true;
  for (;;) {
    DWORD n = kNameChars;
    if (RegEnumKeyExW(key, 0, child, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    wchar_t copy[MAX_PATH];
    if (wcslen(child) >= MAX_PATH || !DeleteTree(key, wcscpy(copy, child))) {
      ok = false;
      break;
    }
  }
  RegCloseKey(key);
  return ok && RegDeleteKeyW(root, path) == ERROR_SUCCESS;
}

bool WriteFileText(const wchar_t* path, const wchar_t* content) {
  char bytes[kLineChars * 3];
  int n = WideCharToMultiByte(CP_UTF8, 0, content, -1, bytes, (int)sizeof bytes, nullptr, nullptr);
  if (n <= 0) return false;
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes, (DWORD)(n - 1), &written, nullptr) && written == (DWORD)(n - 1);
  return CloseHandle(h) && ok;
}

// Starts "hold" in a process of its own and waits until it holds the file.
bool StartHolder(const wchar_t* path) {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  wchar_t eventName[64];
  swprintf(eventName, 64, L"Local\\e2e-hold-%lu", (unsigned long)GetCurrentProcessId());
  HANDLE held = CreateEventW(nullptr, TRUE, FALSE, eventName);
  if (!held) return false;
  static wchar_t line[kLineChars + 2 * MAX_PATH];
  swprintf(line, sizeof line / sizeof line[0], L"\"%ls\" hold \"%ls\" %ls", self, path, eventName);
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  bool ok = false;
  if (CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    HANDLE waits[2] = {held, pi.hProcess};
    ok = WaitForMultipleObjects(2, waits, FALSE, kHoldWaitMs) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(held);
  return ok;
}

// One line of a changes file; false with the reason on stderr.
bool ApplyLine(wchar_t* line) {
  if (wcsncmp(line, L"wow64:", 6) == 0) {
    if (!IsWow64) return true;
    line += 6;
  }
  wchar_t* fields[5] = {};
  int count = 0;
  for (wchar_t* p = line; count < 5;) {
    fields[count++] = p;
    wchar_t* bar = wcschr(p, L'|');
    if (!bar) break;
    *bar = 0;
    p = bar + 1;
  }
  const wchar_t* op = fields[0];
  static wchar_t arg[kLineChars];
  if (count < 2 || !Expand(fields[1], arg, kLineChars)) {
    Fail(L"cannot read the line beginning with \"%ls\"", op);
    return false;
  }
  HKEY root;
  const wchar_t* path;
  if (wcscmp(op, L"key") == 0 && count == 2) {
    HKEY key;
    if (!CreateKeyPath(arg, &key)) return false;
    RegCloseKey(key);
    return true;
  }
  if (wcscmp(op, L"delete") == 0 && count == 2) {
    if (SplitRoot(arg, &root, &path) && DeleteTree(root, path)) return true;
    Fail(L"cannot delete %ls", arg);
    return false;
  }
  if (wcscmp(op, L"value") == 0 && count == 4) {
    HKEY key = FindLocked(arg);
    bool ownKey = key == nullptr;
    if (ownKey && !CreateKeyPath(arg, &key)) return false;
    static wchar_t data[kLineChars];
    if (!Expand(fields[3], data, kLineChars)) {
      if (ownKey) RegCloseKey(key);
      Fail(L"cannot expand the data of %ls value %ls", arg, fields[2]);
      return false;
    }
    LONG rc = RegSetValueExW(key, fields[2], 0, REG_SZ, (const BYTE*)data, (DWORD)((wcslen(data) + 1) * 2));
    if (ownKey) RegCloseKey(key);
    if (rc != ERROR_SUCCESS) Fail(L"cannot set %ls value %ls (error %ld)", arg, fields[2], rc);
    return rc == ERROR_SUCCESS;
  }
  if (wcscmp(op, L"novalue") == 0 && count == 3) {
    HKEY key;
    if (!SplitRoot(arg, &root, &path) || RegOpenKeyExW(root, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
      Fail(L"cannot open %ls", arg);
      return false;
    }
    LONG rc = RegDeleteValueW(key, fields[2]);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) Fail(L"cannot delete %ls value %ls (error %ld)", arg, fields[2], rc);
    return rc == ERROR_SUCCESS;
  }
  if (wcscmp(op, L"lock") == 0 && count == 2) {
    HKEY key;
    if (LockedCount == kMaxLocked || wcslen(arg) >= MAX_PATH * 2 || !CreateKeyPath(arg, &key)) return false;
    if (!SetKeyRights(key, arg, KEY_ALL_ACCESS & ~(KEY_SET_VALUE | KEY_CREATE_SUB_KEY))) {
      RegCloseKey(key);
      return false;
    }
    wcscpy(Locked[LockedCount].path, arg);
    Locked[LockedCount++].key = key;
    return true;
  }
  if ((wcscmp(op, L"deny") == 0 || wcscmp(op, L"unlock") == 0) && count == 2) {
    HKEY key;
    LONG rc = SplitRoot(arg, &root, &path) ? RegOpenKeyExW(root, path, 0, WRITE_DAC, &key) : ERROR_INVALID_NAME;
    if (rc != ERROR_SUCCESS) {
      Fail(L"cannot open %ls to change its security (error %ld)", arg, rc);
      return false;
    }
    bool ok = SetKeyRights(key, arg, op[0] == L'd' ? WRITE_DAC : KEY_ALL_ACCESS);
    RegCloseKey(key);
    return ok;
  }
  if (wcscmp(op, L"folder") == 0 && count == 2) {
    if (CreateDirectoryW(arg, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
    Fail(L"cannot create the folder %ls (error %lu)", arg, GetLastError());
    return false;
  }
  if (wcscmp(op, L"file") == 0 && count == 3) {
    if (WriteFileText(arg, fields[2])) return true;
    Fail(L"cannot write %ls (error %lu)", arg, GetLastError());
    return false;
  }
  if (wcscmp(op, L"remove") == 0 && count == 2) {
    if (DeleteFileW(arg)) return true;
    Fail(L"cannot delete %ls (error %lu)", arg, GetLastError());
    return false;
  }
  if (wcscmp(op, L"readonly") == 0 && count == 2) {
    DWORD attributes = GetFileAttributesW(arg);
    if (attributes != INVALID_FILE_ATTRIBUTES && SetFileAttributesW(arg, attributes | FILE_ATTRIBUTE_READONLY))
      return true;
    Fail(L"cannot make %ls read-only (error %lu)", arg, GetLastError());
    return false;
  }
  if (wcscmp(op, L"hold") == 0 && count == 2) {
    if (StartHolder(arg)) return true;
    Fail(L"cannot hold %ls open", arg);
    return false;
  }
  Fail(L"unknown change \"%ls\" with %d fields", op, count);
  return false;
}

bool Apply(const wchar_t* file) {
  HANDLE h = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    Fail(L"cannot read %ls (error %lu)", file, GetLastError());
    return false;
  }
  static char bytes[256 * 1024];
  DWORD got = 0;
  bool read = ReadFile(h, bytes, sizeof bytes - 1, &got, nullptr) != 0;
  CloseHandle(h);
  if (!read || got == sizeof bytes - 1) {
    Fail(L"cannot read %ls whole", file);
    return false;
  }
  bytes[got] = 0;
  static wchar_t line[kLineChars];
  for (char* p = bytes; *p;) {
    char* end = strchr(p, '\n');
    char* next = end ? end + 1 : p + strlen(p);
    if (!end) end = next;
    if (end > p && end[-1] == '\r') --end;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, p, (int)(end - p), line, kLineChars - 1);
    if (end > p && n <= 0) {
      Fail(L"%ls: a line is not UTF-8 or too long", file);
      return false;
    }
    line[n > 0 ? n : 0] = 0;
    p = next;
    if (!line[0] || line[0] == L'#') continue;
    if (!ApplyLine(line)) {
      CloseLocked();
      return false;
    }
  }
  CloseLocked();
  return true;
}

// ---- holding a file ---------------------------------------------------------

int Hold(const wchar_t* path, const wchar_t* eventName) {
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Fail(L"cannot open %ls (error %lu)", path, GetLastError());
    return kExitFailed;
  }
  HANDLE held = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName);
  if (held) {
    SetEvent(held);
    CloseHandle(held);
  }
  ULONGLONG until = GetTickCount64() + kHoldMaxMs;
  while (GetFileAttributesW(kReleaseFile) == INVALID_FILE_ATTRIBUTES && GetTickCount64() < until) Sleep(50);
  CloseHandle(file);
  return kExitOk;
}

// ---- the dump ---------------------------------------------------------------

HANDLE Out = INVALID_HANDLE_VALUE;
bool OutFailed = false;

void Write(const wchar_t* text) {
  static char bytes[kNameChars * 8];
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, (int)sizeof bytes, nullptr, nullptr);
  DWORD written = 0;
  if (n <= 1) return;
  if (!WriteFile(Out, bytes, (DWORD)(n - 1), &written, nullptr) || written != (DWORD)(n - 1)) OutFailed = true;
}

// Quotes a text as the robot does: \n \r \t \" \\ escaped, other control
// characters as \u00XX, the user's profile folder as %USERPROFILE%.
void WriteQuoted(const wchar_t* text, size_t chars) {
  static wchar_t out[kNameChars * 6 + 3];
  const size_t cap = sizeof out / sizeof out[0];
  size_t profileLen = wcslen(UserProfile);
  size_t n = 0;
  out[n++] = L'"';
  for (size_t i = 0; i < chars && n < cap - 16; ++i) {
    const wchar_t* p = text + i;
    if (profileLen && chars - i >= profileLen && _wcsnicmp(p, UserProfile, profileLen) == 0) {
      for (const wchar_t* s = L"%USERPROFILE%"; *s;) out[n++] = *s++;
      i += profileLen - 1;
      continue;
    }
    wchar_t c = *p;
    if (c == L'\n') {
      out[n++] = L'\\';
      out[n++] = L'n';
    } else if (c == L'\r') {
      out[n++] = L'\\';
      out[n++] = L'r';
    } else if (c == L'\t') {
      out[n++] = L'\\';
      out[n++] = L't';
    } else if (c == L'"' || c == L'\\') {
      out[n++] = L'\\';
      out[n++] = c;
    } else if (c < 0x20 || c == 0x7F) {
      n += swprintf(out + n, cap - n, L"\\u%04X", (unsigned)c);
    } else {
      out[n++] = c;
    }
  }
  out[n++] = L'"';
  out[n] = 0;
  Write(out);
}

void WriteValueData(DWORD type, const BYTE* data, DWORD size) {
  const wchar_t* text = (const wchar_t*)data;
  size_t chars = size / 2;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    while (chars > 0 && text[chars - 1] == 0) --chars;  // the terminator
    if (type == REG_EXPAND_SZ) Write(L"expand ");
    WriteQuoted(text, chars);
  } else if (type == REG_MULTI_SZ) {
    // The list ends with an empty text; shown are the texts before it.
    if (chars >= 2 && text[chars - 1] == 0 && text[chars - 2] == 0) --chars;
    Write(L"multi");
    size_t start = 0;
    for (size_t i = 0; i < chars; ++i) {
      if (text[i] != 0) continue;
      Write(L" ");
      WriteQuoted(text + start, i - start);
      start = i + 1;
    }
  } else if (type == REG_DWORD && size == 4) {
    wchar_t number[32];
    swprintf(number, 32, L"dword 0x%08lx", (unsigned long)*(const DWORD*)data);
    Write(number);
  } else {
    wchar_t part[32];
    swprintf(part, 32, L"type %lu hex", (unsigned long)type);
    Write(part);
    for (DWORD i = 0; i < size; ++i) {
      swprintf(part, 32, L" %02x", data[i]);
      Write(part);
    }
  }
}

const REGSAM kNativeView = KEY_WOW64_64KEY;  // ignored on 32-bit Windows

void DumpValue(const wchar_t* keyPath, int index, const wchar_t* name, DWORD type, const BYTE* data, DWORD size) {
  Write(keyPath);
  if (index >= 0) {
    wchar_t place[32];
    swprintf(place, 32, L" [%d]", index);
    Write(place);
  }
  Write(L" ");
  WriteQuoted(name, wcslen(name));
  Write(L" = ");
  WriteValueData(type, data, size);
  Write(L"\n");
}

// Writes KEY_PATH, its values and its subkeys, depth first, subkeys in the
// order Windows enumerates them.
void DumpTree(HKEY root, const wchar_t* path, const wchar_t* shownPath, bool mustExist) {
  HKEY key;
  LONG rc = RegOpenKeyExW(root, path, 0, KEY_READ | kNativeView, &key);
  if (rc == ERROR_FILE_NOT_FOUND && !mustExist) return;
  Write(shownPath);
  if (rc != ERROR_SUCCESS) {
    wchar_t why[64];
    swprintf(why, 64, L" (cannot be opened: error %ld)\n", rc);
    Write(why);
    return;
  }
  Write(L"\n");
  static wchar_t name[kNameChars];
  static BYTE data[65536];
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = kNameChars, type = 0, size = sizeof data;
    rc = RegEnumValueW(key, i, name, &nameChars, nullptr, &type, data, &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) {
      wchar_t why[64];
      swprintf(why, 64, L" [%lu] (cannot be read: error %ld)\n", (unsigned long)i, rc);
      Write(shownPath);
      Write(why);
      continue;
    }
    DumpValue(shownPath, (int)i, name, type, data, size);
  }
  for (DWORD i = 0;; ++i) {
    DWORD nameChars = kNameChars;
    rc = RegEnumKeyExW(key, i, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;
    // name is shared with the recursion: the child's paths are made first.
    wchar_t childPath[kLineChars], childShown[kLineChars];
    if (wcslen(shownPath) + wcslen(name) + 2 >= kLineChars) continue;
    swprintf(childPath, kLineChars, L"%ls\\%ls", path, name);
    swprintf(childShown, kLineChars, L"%ls\\%ls", shownPath, name);
    DumpTree(root, childPath, childShown, true);
  }
  RegCloseKey(key);
}

void DumpOneValue(HKEY root, const wchar_t* path, const wchar_t* shownPath, const wchar_t* valueName) {
  HKEY key;
  if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | kNativeView, &key) != ERROR_SUCCESS) return;
  static BYTE data[65536];
  DWORD type = 0, size = sizeof data;
  if (RegQueryValueExW(key, valueName, nullptr, &type, data, &size) == ERROR_SUCCESS)
    DumpValue(shownPath, -1, valueName, type, data, size);
  RegCloseKey(key);
}

bool Dump(const wchar_t* file) {
  Out = CreateFileW(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Out == INVALID_HANDLE_VALUE) {
    Fail(L"cannot write %ls (error %lu)", file, GetLastError());
    return false;
  }
  struct Tree {
    HKEY root;
    const wchar_t* shownRoot;
    const wchar_t* path;
  };
  const Tree trees[] = {
      {HKEY_CURRENT_USER, L"HKCU", L"Keyboard Layout"},
      {HKEY_LOCAL_MACHINE, L"HKLM", L"System\\CurrentControlSet\\Control\\Keyboard Layouts"},
      {HKEY_LOCAL_MACHINE, L"HKLM", L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
      {HKEY_LOCAL_MACHINE, L"HKLM", L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
  };
  for (const Tree& t : trees) {
    wchar_t shown[kLineChars];
    swprintf(shown, kLineChars, L"%ls\\%ls", t.shownRoot, t.path);
    DumpTree(t.root, t.path, shown, false);
  }
  DumpOneValue(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
               L"HKLM\\System\\CurrentControlSet\\Control\\Session Manager", L"PendingFileRenameOperations");
  bool ok = CloseHandle(Out) && !OutFailed;
  if (!ok) Fail(L"cannot write %ls whole", file);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  DetectWow64AndRedirection();
  if (argc == 4 && wcscmp(argv[1], L"hold") == 0) return Hold(argv[2], argv[3]);
  if ((argc == 3 || argc == 4) && wcscmp(argv[1], L"apply") == 0) {
    if (!Apply(argv[2])) return kExitFailed;
    return argc == 3 || Dump(argv[3]) ? kExitOk : kExitFailed;
  }
  if (argc == 3 && wcscmp(argv[1], L"dump") == 0) return Dump(argv[2]) ? kExitOk : kExitFailed;
  Fail(L"usage: fixture_tool.exe apply FILE [DUMP] | dump FILE | hold PATH EVENT");
  return kExitUsage;
}
