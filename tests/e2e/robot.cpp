// The UI robot of the end-to-end tests: a small Windows console program that
// starts the program under test, answers its message boxes from a script and
// writes what it saw into a transcript that a test compares byte for byte.
//
//   robot.exe [--timeout SECONDS] [--before-box N COMMAND] [--shots FOLDER]
//             [--watch] [--rects] TRANSCRIPT ANSWERS -- PROGRAM [ARGS...]
//
// Everything after the first " -- " of the robot's own command line is the
// program's command line, passed on unchanged. ANSWERS is a comma-separated
// list of button names (ok, cancel, yes, no, ...), one per box in order; when
// it runs out, every further box gets "ok". "-" is the empty list.
//
// The robot follows the process it started and every process started by a
// followed process (the program relocates itself into a copy). It records:
//
//   process N (started by process M): "COMMAND LINE"   a descendant appeared
//   window of process N: class "C", title "T"           a visible top-level window
//   box of process N                                    a message box, then:
//   caption: "..."  owner: none|"TITLE"  icon: exclamation|question|information|error|none|unknown
//   text: "..."  buttons: ok yes ...  press: ok
//   exit: N                                             the started process's exit code
//   exit of process N: C                                a descendant's exit code
//
// Texts are written as one line in UTF-8 between quotation marks, with \n, \r,
// \t, \" and \\ escaped and other control characters as \u00XX, so that a line
// break in a box is visible as what it is (LF alone or CR LF).
//
// --before-box N COMMAND: once box N (counted from 1 over all processes) has
// been recorded and before its button is pressed, run COMMAND (one token:
// quote it) and wait for it; it must end with exit code 0. The tests use it
// to change the prefix between the program's registry scan and its changes.
// Nothing of it goes into the transcript.
//
// --shots FOLDER: save pictures of box NN, before its button is pressed, as
// 24-bit BMP files into FOLDER (which must exist). A box with an owner window
// (which it would cover) is first moved to just below it, so that both can be
// seen: boxNN.bmp is the box, ownerNN.bmp its owner window and sceneNN.bmp the
// two together. The transcript is the same with or without pictures.
//
// --watch: press nothing; a person at the display answers each box, and the
// transcript says "press: (by the user)". ANSWERS is then ignored.
//
// --rects: each "window of process" line also gives the window's rectangle
// on the screen and its client area's size, in the screen's pixels (the robot
// then makes itself DPI-aware, so that Windows does not scale them for it):
//   window of process N: class "C", title "T", at X,Y size WxH, client CWxCH
// and a window is recorded again whenever one of them changes. Without the
// option the lines and the transcript are as above.
//
// On its standard output the robot reports when each box was answered and
// when every process had ended, in milliseconds after the program's start
// (the benchmark reads these).
//
// Exit code: 0 when every followed process ended after its boxes were answered;
// 1 on timeout; 2 on a usage error or when the program does not start; 3 when
// a box lacked the scripted button or the command before a box failed (the
// programs are then ended).
#include <windows.h>
// after windows.h, whose types they need
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <tlhelp32.h>
#include <wchar.h>

namespace {

const int kMaxProcesses = 16;
const int kMaxWindows = 256;
const int kMaxAnswers = 64;
const int kTextChars = 32768;  // a box text is at most 5,499 bytes before its line breaks are doubled
const DWORD kPollMs = 10;
// Generous, so that a machine under load does not make a test fail; each
// wait ends as soon as what it waits for is there.
const DWORD kIconWaitMs = 15000;   // how long a box may take to paint its icon
const DWORD kStartWaitMs = 15000;  // how long a new process may take to set up its command line
const DWORD kHookWaitMs = 30000;   // how long the command before a box may take
const DWORD kPaintWaitMs = 300;    // how long a window is given to paint before its picture is taken
const int kMaxHooks = 8;

const int kExitOk = 0;
const int kExitTimeout = 1;
const int kExitUsage = 2;
const int kExitBadAnswer = 3;

struct ButtonName {
  int id;
  const char* name;
};

const ButtonName kButtons[] = {
    {IDOK, "ok"},   {IDCANCEL, "cancel"}, {IDABORT, "abort"}, {IDRETRY, "retry"},       {IDIGNORE, "ignore"},
    {IDYES, "yes"}, {IDNO, "no"},         {IDHELP, "help"},   {IDTRYAGAIN, "tryagain"}, {IDCONTINUE, "continue"},
};
const int kButtonCount = sizeof kButtons / sizeof kButtons[0];

// The control ids of a message box's text and icon.
const int kBoxTextId = 0xFFFF;
const int kBoxIconId = 1088;

struct FollowedProcess {
  DWORD pid;
  HANDLE handle;
  bool ended;
  DWORD exitCode;
};

struct SeenWindow {
  HWND hwnd;
  bool done;  // a box that was answered, or a window whose title is recorded
  wchar_t title[256];
  RECT rect, client;  // with --rects: the window's place and size as last recorded
};

FollowedProcess Processes[kMaxProcesses];
int ProcessCount = 0;
bool TooManyProcesses = false;
SeenWindow Windows[kMaxWindows];
int WindowCount = 0;
int Answers[kMaxAnswers];
int AnswerCount = 0;
int AnswersUsed = 0;
HANDLE Transcript = INVALID_HANDLE_VALUE;
wchar_t UserProfile[MAX_PATH] = L"";

struct BoxHook {
  int box;  // 1-based, over all processes
  wchar_t command[MAX_PATH * 2];
};
BoxHook Hooks[kMaxHooks];
int HookCount = 0;
wchar_t ShotFolder[MAX_PATH] = L"";  // empty: no pictures
bool WatchOnly = false;
bool RecordRects = false;
ULONGLONG StartTick = 0;  // when the program was started

// ---- transcript -----------------------------------------------------------

void WriteBytes(const char* text) {
  DWORD written = 0;
  if (Transcript != INVALID_HANDLE_VALUE) WriteFile(Transcript, text, (DWORD)strlen(text), &written, nullptr);
}

void WriteFormatted(const char* format, ...) {
  char line[1024];
  va_list args;
  va_start(args, format);
  vsnprintf(line, sizeof line, format, args);
  va_end(args);
  WriteBytes(line);
}

struct Escape {
  wchar_t c;
  const wchar_t* text;
};
const Escape kEscapes[] = {{L'\n', L"\\n"}, {L'\r', L"\\r"}, {L'\t', L"\\t"}, {L'"', L"\\\""}, {L'\\', L"\\\\"}};

// Writes a text between quotation marks, escaped and in UTF-8. The user's
// profile folder (which holds the temporary folder and the desktop) is written
// as %USERPROFILE%, so that a transcript does not depend on the user's name.
void WriteQuoted(const wchar_t* text) {
  static wchar_t escaped[kTextChars * 6 + 3];
  static char utf8[sizeof escaped / sizeof escaped[0] * 3];
  const int cap = (int)(sizeof escaped / sizeof escaped[0]);
  size_t profileLen = wcslen(UserProfile);
  int n = 0;
  escaped[n++] = L'"';
  for (const wchar_t* p = text; *p && n < cap - 16; ++p) {
    if (profileLen && wcsncmp(p, UserProfile, profileLen) == 0) {
      for (const wchar_t* s = L"%USERPROFILE%"; *s;) escaped[n++] = *s++;
      p += profileLen - 1;
      continue;
    }
    wchar_t c = *p;
    const wchar_t* esc = nullptr;
    for (const Escape& e : kEscapes)
      if (e.c == c) esc = e.text;
    if (esc) {
      while (*esc) escaped[n++] = *esc++;
    } else if (c < 0x20 || c == 0x7F) {
      n += swprintf(escaped + n, cap - n, L"\\u%04X", (unsigned)c);
    } else {
      escaped[n++] = c;
    }
  }
  escaped[n++] = L'"';
  escaped[n] = 0;
  int bytes = WideCharToMultiByte(CP_UTF8, 0, escaped, -1, utf8, (int)sizeof utf8, nullptr, nullptr);
  if (bytes <= 0) utf8[0] = 0;
  WriteBytes(utf8);
}

// ---- processes ------------------------------------------------------------

int FindProcess(DWORD pid) {
  for (int i = 0; i < ProcessCount; ++i)
    if (Processes[i].pid == pid) return i;
  return -1;
}

// The command line of another process of the same kind as the robot, read
// from its process parameters (Wine 8 lacks the information class that would
// hand it over directly).
void ReadCommandLine(HANDLE process, wchar_t* out, int outChars) {
  struct BasicInformation {
    LONG_PTR exitStatus;
    BYTE* peb;
    ULONG_PTR affinity;
    LONG_PTR priority;
    ULONG_PTR pid;
    ULONG_PTR parentPid;
  };
  struct CountedText {
    USHORT length;
    USHORT maximum;
    wchar_t* text;
  };
  typedef LONG(WINAPI * QueryFn)(HANDLE, int, void*, ULONG, ULONG*);
  // Where the process parameters sit in the process environment block, and
  // where the command line sits in them.
  const size_t kParametersOffset = sizeof(void*) == 8 ? 0x20 : 0x10;
  const size_t kCommandLineOffset = sizeof(void*) == 8 ? 0x70 : 0x40;
  out[0] = 0;
  QueryFn query = (QueryFn)(void*)GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationProcess");
  BasicInformation basic = {};
  if (!query || query(process, 0, &basic, sizeof basic, nullptr) != 0 || !basic.peb) return;
  BYTE* parameters = nullptr;
  CountedText line = {};
  SIZE_T got = 0;
  if (!ReadProcessMemory(process, basic.peb + kParametersOffset, &parameters, sizeof parameters, &got) || !parameters)
    return;
  if (!ReadProcessMemory(process, parameters + kCommandLineOffset, &line, sizeof line, &got)) return;
  int chars = line.length / 2;
  if (chars > outChars - 1) chars = outChars - 1;
  if (!ReadProcessMemory(process, line.text, out, (SIZE_T)chars * 2, &got)) chars = 0;
  out[chars] = 0;
}

// Returns false when the table is full; the handle is then the caller's.
bool FollowProcess(DWORD pid, HANDLE handle, int parent) {
  if (ProcessCount == kMaxProcesses) return false;
  FollowedProcess& p = Processes[ProcessCount++];
  p.pid = pid;
  p.handle = handle;
  p.ended = false;
  p.exitCode = 0;
  if (parent < 0) return true;
  static wchar_t line[kTextChars];
  // A process just created may not have set up its parameters yet.
  ULONGLONG until = GetTickCount64() + kStartWaitMs;
  ReadCommandLine(handle, line, kTextChars);
  while (!line[0] && GetTickCount64() < until && WaitForSingleObject(handle, kPollMs) == WAIT_TIMEOUT)
    ReadCommandLine(handle, line, kTextChars);
  WriteFormatted("process %d (started by process %d): ", ProcessCount, parent + 1);
  WriteQuoted(line);
  WriteBytes("\n");
  return true;
}

// Follows every process whose parent is followed; returns how many were new.
int DiscoverDescendants() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  int found = 0;
  bool again = true;
  while (again) {  // a grandchild may be listed before its parent
    again = false;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL ok = Process32FirstW(snap, &entry); ok; ok = Process32NextW(snap, &entry)) {
      int parent = FindProcess(entry.th32ParentProcessID);
      if (parent < 0 || FindProcess(entry.th32ProcessID) >= 0) continue;
      HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE, FALSE,
                             entry.th32ProcessID);
      if (!h)
        h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE,
                        entry.th32ProcessID);
      if (!h) continue;  // already gone
      if (!FollowProcess(entry.th32ProcessID, h, parent)) {
        CloseHandle(h);
        if (!TooManyProcesses) WriteFormatted("more than %d processes: the rest are not followed\n", kMaxProcesses);
        TooManyProcesses = true;
        CloseHandle(snap);
        return found;
      }
      ++found;
      again = true;
    }
  }
  CloseHandle(snap);
  return found;
}

bool AllEnded() {
  bool all = true;
  for (int i = 0; i < ProcessCount; ++i) {
    FollowedProcess& p = Processes[i];
    if (!p.ended && WaitForSingleObject(p.handle, 0) == WAIT_OBJECT_0) {
      p.ended = true;
      GetExitCodeProcess(p.handle, &p.exitCode);
    }
    all = all && p.ended;
  }
  return all;
}

void EndAll() {
  for (int i = 0; i < ProcessCount; ++i)
    if (!Processes[i].ended) TerminateProcess(Processes[i].handle, 255);
  for (int i = 0; i < ProcessCount; ++i) WaitForSingleObject(Processes[i].handle, 5000);
  AllEnded();
}

void WriteExitCodes() {
  for (int i = 0; i < ProcessCount; ++i) {
    if (!Processes[i].ended) continue;
    if (i == 0)
      WriteFormatted("exit: %lu\n", (unsigned long)Processes[i].exitCode);
    else
      WriteFormatted("exit of process %d: %lu\n", i + 1, (unsigned long)Processes[i].exitCode);
  }
}

// ---- reading a box ----------------------------------------------------------

// The text of a control of another process, asked for with WM_GETTEXT so that
// it is what the control holds.
void ReadControlText(HWND control, wchar_t* out, int outChars) {
  out[0] = 0;
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXT, outChars, (LPARAM)out, SMTO_ABORTIFHUNG, 5000, &got)) out[0] = 0;
  out[outChars - 1] = 0;
}

// A 32-bit top-down bitmap of W x H pixels whose pixels are at *BITS.
HBITMAP CreatePixelArray(HDC dc, int w, int h, void** bits) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}

// Copies a piece of the screen into a 32-bit top-down pixel array.
bool GrabScreen(const RECT& r, DWORD* pixels) {
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreatePixelArray(mem, w, h, &bits);
  bool ok = false;
  if (bitmap) {
    HGDIOBJ old = SelectObject(mem, bitmap);
    ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
    GdiFlush();
    memcpy(pixels, bits, (size_t)w * h * 4);
    SelectObject(mem, old);
    DeleteObject(bitmap);
  }
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

// Counts the pixels where the icon, drawn over the background colour at the
// size of the control, differs from what the screen shows.
int CountDifferences(const DWORD* shot, int w, int h, HICON icon) {
  HDC mem = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bitmap = CreatePixelArray(mem, w, h, &bits);
  int differences = w * h;
  if (bitmap) {
    HGDIOBJ old = SelectObject(mem, bitmap);
    DWORD* p = (DWORD*)bits;
    for (int i = 0; i < w * h; ++i) p[i] = shot[0];  // the corner shows the background
    DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
    GdiFlush();
    differences = 0;
    for (int i = 0; i < w * h; ++i)
      if ((p[i] & 0xFFFFFF) != (shot[i] & 0xFFFFFF)) ++differences;
    SelectObject(mem, old);
    DeleteObject(bitmap);
  }
  DeleteDC(mem);
  return differences;
}

// ---- pictures ------------------------------------------------------------------

// Saves a piece of the screen as a 24-bit bottom-up BMP file.
bool SaveShot(RECT r, const wchar_t* name) {
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0 || w > 8192 || h > 8192) return false;
  DWORD* pixels = new DWORD[(size_t)w * h];
  bool ok = GrabScreen(r, pixels);
  int rowBytes = (w * 3 + 3) & ~3;
  DWORD imageBytes = (DWORD)rowBytes * h;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageBytes;
  info.biSize = sizeof info;
  info.biWidth = w;
  info.biHeight = h;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = imageBytes;
  BYTE* image = new BYTE[imageBytes]();
  for (int y = 0; y < h; ++y) {
    BYTE* row = image + (size_t)(h - 1 - y) * rowBytes;
    for (int x = 0; x < w; ++x) {
      DWORD p = pixels[(size_t)y * w + x];
      row[x * 3] = (BYTE)p;
      row[x * 3 + 1] = (BYTE)(p >> 8);
      row[x * 3 + 2] = (BYTE)(p >> 16);
    }
  }
  wchar_t path[MAX_PATH * 2];
  swprintf(path, MAX_PATH * 2, L"%ls\\%ls", ShotFolder, name);
  HANDLE out = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD written = 0;
  if (out == INVALID_HANDLE_VALUE) {
    ok = false;
  } else {
    ok = ok && WriteFile(out, &file, sizeof file, &written, nullptr) &&
         WriteFile(out, &info, sizeof info, &written, nullptr) && WriteFile(out, image, imageBytes, &written, nullptr);
    CloseHandle(out);
  }
  delete[] image;
  delete[] pixels;
  if (!ok) fwprintf(stderr, L"robot: cannot save the picture %ls\n", path);
  return ok;
}

// The pictures of a box about to be answered, and of its owner window.
void ShootBox(HWND box, int number) {
  if (!ShotFolder[0]) return;
  wchar_t name[32];
  RECT r, owned;
  HWND owner = GetWindow(box, GW_OWNER);
  if (owner && GetWindowRect(owner, &owned) && GetWindowRect(box, &r)) {
    int x = (owned.left + owned.right) / 2 - (r.right - r.left) / 2;
    SetWindowPos(box, nullptr, x < 0 ? 0 : x, owned.bottom + 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Sleep(kPaintWaitMs);  // both repaint
  GetWindowRect(box, &r);
  swprintf(name, 32, L"box%02d.bmp", number);
  SaveShot(r, name);
  if (!owner || !GetWindowRect(owner, &owned)) return;
  swprintf(name, 32, L"owner%02d.bmp", number);
  SaveShot(owned, name);
  RECT scene;
  UnionRect(&scene, &r, &owned);
  swprintf(name, 32, L"scene%02d.bmp", number);
  SaveShot(scene, name);
}

// Which system icon the box shows. Icon handles belong to the process that
// loaded them (Wine gives each process its own handle for the same system
// icon), so the box's handle cannot be compared with ours; instead the icon
// control's pixels on the screen are compared with each system icon drawn
// the way the control draws it. A box without an icon has a control that
// holds no icon.
const char* IdentifyIcon(HWND box) {
  HWND control = GetDlgItem(box, kBoxIconId);
  if (!control) return "none";
  DWORD_PTR icon = 0;
  SendMessageTimeoutW(control, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
  if (!icon) return "none";
  struct Candidate {
    const wchar_t* id;
    const char* name;
  };
  const Candidate candidates[] = {
      {IDI_EXCLAMATION, "exclamation"}, {IDI_QUESTION, "question"},
      {IDI_INFORMATION, "information"}, {IDI_ERROR, "error"},
      {IDI_APPLICATION, "application"},
  };
  RECT r;
  GetWindowRect(control, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  static DWORD shot[128 * 128];
  if (w <= 0 || h <= 0 || w > 128 || h > 128) return "unknown";
  // The box may still be painting: look again until one icon matches.
  ULONGLONG until = GetTickCount64() + kIconWaitMs;
  do {
    if (GrabScreen(r, shot)) {
      for (const Candidate& c : candidates)
        if (CountDifferences(shot, w, h, LoadIconW(nullptr, c.id)) == 0) return c.name;
    }
    Sleep(kPollMs);
  } while (GetTickCount64() < until);
  return "unknown";
}

struct PlacedButton {
  int id;
  const char* name;
  HWND hwnd;
  LONG left;
};

// The visible buttons of the box, from left to right.
int ListButtons(HWND box, PlacedButton* out) {
  int n = 0;
  for (const ButtonName& b : kButtons) {
    HWND h = GetDlgItem(box, b.id);
    if (!h || !IsWindowVisible(h)) continue;
    RECT r;
    GetWindowRect(h, &r);
    int at = n++;
    while (at > 0 && out[at - 1].left > r.left) {
      out[at] = out[at - 1];
      --at;
    }
    out[at] = {b.id, b.name, h, r.left};
  }
  return n;
}

const char* ButtonNameOf(int id) {
  for (const ButtonName& b : kButtons)
    if (b.id == id) return b.name;
  return "?";
}

// Runs the command given for box NUMBER, if any; false when it fails.
bool RunHook(int number) {
  for (int i = 0; i < HookCount; ++i) {
    if (Hooks[i].box != number) continue;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    static wchar_t line[MAX_PATH * 2];
    wcscpy(line, Hooks[i].command);
    if (!CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      fwprintf(stderr, L"robot: cannot start %ls (error %lu)\n", Hooks[i].command, GetLastError());
      return false;
    }
    CloseHandle(pi.hThread);
    DWORD code = 1;
    bool ended = WaitForSingleObject(pi.hProcess, kHookWaitMs) == WAIT_OBJECT_0;
    if (ended) GetExitCodeProcess(pi.hProcess, &code);
    if (!ended) TerminateProcess(pi.hProcess, 255);
    CloseHandle(pi.hProcess);
    if (code != 0) {
      fwprintf(stderr, L"robot: %ls before box %d ended with exit code %lu\n", Hooks[i].command, number,
               (unsigned long)code);
      return false;
    }
  }
  return true;
}

// Records the box and presses the next scripted button. The click is posted,
// not sent, so that the robot never waits on the program. Returns false when
// the box has no such button.
bool AnswerBox(HWND box, int processIndex) {
  static wchar_t text[kTextChars];
  WriteFormatted("box of process %d\n", processIndex + 1);
  GetWindowTextW(box, text, kTextChars);
  WriteBytes("caption: ");
  WriteQuoted(text);
  WriteBytes("\nowner: ");
  HWND owner = GetWindow(box, GW_OWNER);
  if (owner) {
    GetWindowTextW(owner, text, kTextChars);
    WriteQuoted(text);
  } else {
    WriteBytes("none");
  }
  WriteFormatted("\nicon: %s\ntext: ", IdentifyIcon(box));
  HWND textControl = GetDlgItem(box, kBoxTextId);
  text[0] = 0;
  if (textControl) ReadControlText(textControl, text, kTextChars);
  WriteQuoted(text);
  WriteBytes("\nbuttons:");
  PlacedButton buttons[kButtonCount];
  int count = ListButtons(box, buttons);
  for (int i = 0; i < count; ++i) WriteFormatted(" %s", buttons[i].name);
  int answer = AnswersUsed < AnswerCount ? Answers[AnswersUsed] : IDOK;
  ++AnswersUsed;
  ShootBox(box, AnswersUsed);
  if (WatchOnly) {
    WriteBytes("\npress: (by the user)\n");
    return true;
  }
  for (int i = 0; i < count; ++i) {
    if (buttons[i].id != answer) continue;
    WriteFormatted("\npress: %s\n", buttons[i].name);
    if (!RunHook(AnswersUsed)) return false;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), (LPARAM)buttons[i].hwnd);
    printf("robot: box %d answered %lu ms after the start\n", AnswersUsed,
           (unsigned long)(GetTickCount64() - StartTick));
    fflush(stdout);
    return true;
  }
  WriteFormatted("\npress: %s (not on the box)\n", ButtonNameOf(answer));
  return false;
}

// ---- windows ----------------------------------------------------------------

struct Found {
  HWND hwnd;
  int process;
};

struct FoundList {
  Found items[kMaxWindows];
  int count;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  FoundList* list = (FoundList*)param;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  int process = FindProcess(pid);
  if (process >= 0 && list->count < kMaxWindows) list->items[list->count++] = {hwnd, process};
  return TRUE;
}

SeenWindow* Remember(HWND hwnd) {
  for (int i = 0; i < WindowCount; ++i)
    if (Windows[i].hwnd == hwnd) return &Windows[i];
  if (WindowCount == kMaxWindows) {
    // Forget windows that are gone, then try again.
    int kept = 0;
    for (int i = 0; i < WindowCount; ++i)
      if (IsWindow(Windows[i].hwnd)) Windows[kept++] = Windows[i];
    WindowCount = kept;
    if (WindowCount == kMaxWindows) return nullptr;
  }
  SeenWindow& w = Windows[WindowCount++];
  w.hwnd = hwnd;
  w.done = false;
  w.title[0] = 0;
  return &w;
}

// A message box is a dialog with the box's text and icon controls; other
// dialogs (an installer's main window, say) are windows like any other.
bool IsBox(HWND hwnd) {
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64) || wcscmp(cls, L"#32770") != 0) return false;
  return GetDlgItem(hwnd, kBoxTextId) && GetDlgItem(hwnd, kBoxIconId);
}

// Records each visible window of a followed process when it appears and
// whenever its title changes; with --rects also its place and size, and it
// is recorded again whenever they change.
void RecordOtherWindows(const FoundList& list) {
  for (int i = 0; i < list.count; ++i) {
    HWND hwnd = list.items[i].hwnd;
    if (IsBox(hwnd) || !IsWindowVisible(hwnd)) continue;
    SeenWindow* seen = Remember(hwnd);
    if (!seen) continue;
    // A window being destroyed answers neither: it is not recorded.
    wchar_t title[256] = L"", cls[256] = L"";
    SetLastError(0);
    if (!GetWindowTextW(hwnd, title, 256) && GetLastError() != 0) continue;
    if (!GetClassNameW(hwnd, cls, 256) || !IsWindowVisible(hwnd)) continue;
    RECT rect = {}, client = {};
    if (RecordRects && (!GetWindowRect(hwnd, &rect) || !GetClientRect(hwnd, &client))) continue;
    bool moved = RecordRects && seen->done && (!EqualRect(&rect, &seen->rect) || !EqualRect(&client, &seen->client));
    if (seen->done && wcscmp(title, seen->title) == 0 && !moved) continue;
    wcscpy(seen->title, title);
    seen->rect = rect;
    seen->client = client;
    seen->done = true;
    WriteFormatted("window of process %d: class ", list.items[i].process + 1);
    WriteQuoted(cls);
    WriteBytes(", title ");
    WriteQuoted(title);
    if (RecordRects)
      WriteFormatted(", at %ld,%ld size %ldx%ld, client %ldx%ld", rect.left, rect.top, rect.right - rect.left,
                     rect.bottom - rect.top, client.right, client.bottom);
    WriteBytes("\n");
  }
}

// Answers each new box once it is shown. Returns false when a box could not
// be answered as scripted.
bool AnswerNewBoxes(const FoundList& list) {
  for (int i = list.count - 1; i >= 0; --i) {  // bottom of the z-order first: the older box
    HWND hwnd = list.items[i].hwnd;
    if (!IsBox(hwnd) || !IsWindowVisible(hwnd)) continue;
    SeenWindow* seen = Remember(hwnd);
    if (!seen || seen->done) continue;
    seen->done = true;
    if (!AnswerBox(hwnd, list.items[i].process)) return false;
  }
  return true;
}

// ---- command line -----------------------------------------------------------

// Splits off one blank-separated token of the robot's own command line, with
// quotation marks grouping as usual; returns the rest after it.
const wchar_t* NextToken(const wchar_t* p, wchar_t* token, int tokenChars) {
  while (*p == L' ' || *p == L'\t') ++p;
  int n = 0;
  bool quoted = false;
  while (*p && (quoted || (*p != L' ' && *p != L'\t'))) {
    if (*p == L'"') {
      quoted = !quoted;
    } else if (n < tokenChars - 1) {
      token[n++] = *p;
    }
    ++p;
  }
  token[n] = 0;
  return p;
}

bool ParseAnswers(const wchar_t* list) {
  if (wcscmp(list, L"-") == 0) return true;
  const wchar_t* p = list;
  while (*p) {
    const wchar_t* comma = wcschr(p, L',');
    size_t len = comma ? (size_t)(comma - p) : wcslen(p);
    int id = 0;
    for (const ButtonName& b : kButtons) {
      size_t nameLen = strlen(b.name);
      if (nameLen != len) continue;
      bool same = true;
      for (size_t i = 0; i < len; ++i) same = same && p[i] == (wchar_t)b.name[i];
      if (same) id = b.id;
    }
    if (!id || AnswerCount == kMaxAnswers) return false;
    Answers[AnswerCount++] = id;
    p += len;
    if (*p == L',') ++p;
  }
  return true;
}

struct Options {
  DWORD timeoutMs;
  wchar_t transcript[MAX_PATH];
  wchar_t programLine[kTextChars];
};

bool ParseOptions(Options& o) {
  static wchar_t token[kTextChars];
  o.timeoutMs = 60000;
  const wchar_t* p = NextToken(GetCommandLineW(), token, kTextChars);  // the robot itself
  p = NextToken(p, token, kTextChars);
  while (wcsncmp(token, L"--", 2) == 0 && token[2]) {
    if (wcscmp(token, L"--timeout") == 0) {
      p = NextToken(p, token, kTextChars);
      int seconds = _wtoi(token);
      if (seconds <= 0) return false;
      o.timeoutMs = (DWORD)seconds * 1000;
    } else if (wcscmp(token, L"--before-box") == 0) {
      p = NextToken(p, token, kTextChars);
      int box = _wtoi(token);
      p = NextToken(p, token, kTextChars);
      if (box <= 0 || !token[0] || HookCount == kMaxHooks || wcslen(token) >= MAX_PATH * 2) return false;
      Hooks[HookCount].box = box;
      wcscpy(Hooks[HookCount++].command, token);
    } else if (wcscmp(token, L"--shots") == 0) {
      p = NextToken(p, token, kTextChars);
      if (!token[0] || wcslen(token) >= MAX_PATH) return false;
      wcscpy(ShotFolder, token);
    } else if (wcscmp(token, L"--watch") == 0) {
      WatchOnly = true;
    } else if (wcscmp(token, L"--rects") == 0) {
      RecordRects = true;
    } else {
      return false;
    }
    p = NextToken(p, token, kTextChars);
  }
  if (!token[0] || wcslen(token) >= MAX_PATH) return false;
  wcscpy(o.transcript, token);
  p = NextToken(p, token, kTextChars);
  if (!token[0] || !ParseAnswers(token)) return false;
  p = NextToken(p, token, kTextChars);
  if (wcscmp(token, L"--") != 0) return false;
  while (*p == L' ' || *p == L'\t') ++p;
  if (!*p || wcslen(p) >= (size_t)kTextChars) return false;
  wcscpy(o.programLine, p);
  return true;
}

int Run(Options& o) {
  Transcript =
      CreateFileW(o.transcript, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Transcript == INVALID_HANDLE_VALUE) {
    fwprintf(stderr, L"robot: cannot write %ls (error %lu)\n", o.transcript, GetLastError());
    return kExitUsage;
  }
  // Wine starts the desktop process for the first process that needs the
  // desktop: let that be the robot, so that it is never taken for a process
  // that the program started.
  GetDesktopWindow();
  DWORD profileLen = GetEnvironmentVariableW(L"USERPROFILE", UserProfile, MAX_PATH);
  if (profileLen == 0 || profileLen >= MAX_PATH) UserProfile[0] = 0;
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  StartTick = GetTickCount64();
  if (!CreateProcessW(nullptr, o.programLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    DWORD error = GetLastError();
    WriteFormatted("start failed: error %lu\n", (unsigned long)error);
    fwprintf(stderr, L"robot: cannot start %ls (error %lu)\n", o.programLine, error);
    return kExitUsage;
  }
  CloseHandle(pi.hThread);
  FollowProcess(pi.dwProcessId, pi.hProcess, -1);

  ULONGLONG deadline = GetTickCount64() + o.timeoutMs;
  static FoundList found;
  for (;;) {
    // Whether everything had ended is taken before looking for new processes,
    // so that a process started just before its parent ended is still seen.
    bool ended = AllEnded();
    int discovered = DiscoverDescendants();
    if (ended && discovered == 0) break;
    found.count = 0;
    EnumWindows(CollectWindow, (LPARAM)&found);
    RecordOtherWindows(found);
    if (!AnswerNewBoxes(found)) {
      EndAll();
      WriteExitCodes();
      fprintf(stderr,
              "robot: a box lacked the scripted button, or the command before it failed; the program was ended\n");
      return kExitBadAnswer;
    }
    if (GetTickCount64() > deadline) {
      WriteFormatted("timeout: still running after %lu s, ended by the robot\n", (unsigned long)(o.timeoutMs / 1000));
      EndAll();
      WriteExitCodes();
      fprintf(stderr, "robot: timeout after %lu s; the program was ended\n", (unsigned long)(o.timeoutMs / 1000));
      return kExitTimeout;
    }
    Sleep(kPollMs);
  }
  printf("robot: every process ended %lu ms after the start\n", (unsigned long)(GetTickCount64() - StartTick));
  fflush(stdout);
  if (!WatchOnly && AnswersUsed < AnswerCount) WriteFormatted("unused answers: %d\n", AnswerCount - AnswersUsed);
  WriteExitCodes();
  return kExitOk;
}

}  // namespace

int wmain() {
  static Options options;
  if (!ParseOptions(options)) {
    fprintf(stderr,
            "usage: robot.exe [--timeout SECONDS] [--before-box N COMMAND] [--shots FOLDER] [--watch] [--rects]\n"
            "                 TRANSCRIPT ANSWERS -- PROGRAM [ARGS...]\n"
            "  ANSWERS: comma-separated ok, cancel, yes, no, abort, retry, ignore, help, tryagain,\n"
            "  continue, one per box in order (then ok for every further box), or - for none\n");
    return kExitUsage;
  }
  // Places and sizes in pixels of the screen, whatever the program's own
  // DPI awareness: without this, Windows would scale them for the robot.
  if (RecordRects) SetProcessDPIAware();
  int code = Run(options);
  if (Transcript != INVALID_HANDLE_VALUE) CloseHandle(Transcript);
  return code;
}
