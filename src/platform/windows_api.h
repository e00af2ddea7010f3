// The Windows calls the program makes, and nothing else.
//
// Every call keeps its Windows name, argument order, result and error-code
// convention: registry calls return an error code, most others return a
// failure value and leave the reason in the thread's last error.  Types are
// the program's own small ones with the layout Windows gives them in a 32-bit
// process; constants keep Windows' values under names of their own, because
// the Windows side sees Windows' macros too.
//
// Two implementations exist: platform/win32 forwards each call to Windows,
// platform/sim answers from an in-memory Windows for native tests.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define WINAPI_CALL __stdcall
#else
#define WINAPI_CALL
#endif

namespace win {

// ---------------------------------------------------------------- types ---
using Bool = int32_t;  // BOOL: 0 is FALSE, anything else TRUE
using Dword = uint32_t;
using Long = int32_t;
using HResult = int32_t;
using WParam = uintptr_t;
using LParam = intptr_t;
using LResult = intptr_t;
using WideChar = char16_t;

// Opaque handles, one type per kind so that they cannot be mixed up.
struct InstanceTag;
using HInstance = InstanceTag*;  // HINSTANCE and HMODULE
struct WindowTag;
using HWnd = WindowTag*;
struct DcTag;
using HDc = DcTag*;
struct PaletteTag;
using HPalette = PaletteTag*;
struct BrushTag;
using HBrush = BrushTag*;
struct CursorTag;
using HCursor = CursorTag*;
struct IconTag;
using HIcon = IconTag*;
struct KeyTag;
using HKey = KeyTag*;
using HGdiObj = void*;  // any GDI object: DeleteObject takes them all
using HLocal = void*;
using Handle = void*;  // kernel objects: processes, threads, searches, files
struct ItemIdList;     // the shell's ITEMIDLIST, never looked into
struct Malloc;         // the shell's IMalloc interface

using FarProc = void (*)();  // what GetProcAddress returns; cast before calling

// Fixed handle values.
inline HKey const kHKeyCurrentUser = reinterpret_cast<HKey>(static_cast<uintptr_t>(0x80000001u));
inline HKey const kHKeyLocalMachine = reinterpret_cast<HKey>(static_cast<uintptr_t>(0x80000002u));
inline Handle const kInvalidHandleValue = reinterpret_cast<Handle>(static_cast<intptr_t>(-1));

// MAKEINTRESOURCEA: a resource given by number rather than by name.
inline const char* MakeIntResourceA(uint16_t id) { return reinterpret_cast<const char*>(static_cast<uintptr_t>(id)); }

// ----------------------------------------------------------- structures ---
// Each has the size and field order of its Windows counterpart in a 32-bit
// process (the Windows side checks this at compile time).
struct Rect {
  Long left, top, right, bottom;
};

struct PaintStruct {
  HDc hdc;
  Bool fErase;
  Rect rcPaint;
  Bool fRestore;
  Bool fIncUpdate;
  uint8_t rgbReserved[32];
};

using WndProc = LResult(WINAPI_CALL*)(HWnd, uint32_t, WParam, LParam);

struct WndClassExA {
  uint32_t cbSize;
  uint32_t style;
  WndProc lpfnWndProc;
  int32_t cbClsExtra;
  int32_t cbWndExtra;
  HInstance hInstance;
  HIcon hIcon;
  HCursor hCursor;
  HBrush hbrBackground;
  const char* lpszMenuName;
  const char* lpszClassName;
  HIcon hIconSm;
};

struct PaletteEntry {
  uint8_t peRed, peGreen, peBlue, peFlags;
};

// LOGPALETTE with room for the 256 entries the program's palette has.
struct LogPalette256 {
  uint16_t palVersion;
  uint16_t palNumEntries;
  PaletteEntry palPalEntry[256];
};

struct StartupInfoA {
  Dword cb;
  char* lpReserved;
  char* lpDesktop;
  char* lpTitle;
  Dword dwX, dwY, dwXSize, dwYSize;
  Dword dwXCountChars, dwYCountChars;
  Dword dwFillAttribute;
  Dword dwFlags;
  uint16_t wShowWindow;
  uint16_t cbReserved2;
  uint8_t* lpReserved2;
  Handle hStdInput, hStdOutput, hStdError;
};

struct ProcessInformation {
  Handle hProcess;
  Handle hThread;
  Dword dwProcessId;
  Dword dwThreadId;
};

struct FileTime {
  Dword dwLowDateTime, dwHighDateTime;
};

struct Win32FindDataA {
  Dword dwFileAttributes;
  FileTime ftCreationTime, ftLastAccessTime, ftLastWriteTime;
  Dword nFileSizeHigh, nFileSizeLow;
  Dword dwReserved0, dwReserved1;
  char cFileName[260];
  char cAlternateFileName[14];
};

struct SecurityAttributes;  // always passed as null

// ------------------------------------------------------------ constants ---
enum ErrorCode : Dword {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorNotEnoughMemory = 8,
  kErrorNoMoreFiles = 18,
  kErrorSharingViolation = 32,
  kErrorFileExists = 80,
  kErrorInvalidParameter = 87,
  kErrorInsufficientBuffer = 122,
  kErrorInvalidName = 123,
  kErrorModNotFound = 126,
  kErrorProcNotFound = 127,
  kErrorDirNotEmpty = 145,
  kErrorAlreadyExists = 183,
  kErrorBadExeFormat = 193,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorMrMidNotFound = 317,
  kErrorKeyDeleted = 1018,
  kErrorFileInvalid = 1006,
  kErrorInvalidWindowHandle = 1400,
  kErrorResourceNameNotFound = 1814,
  kErrorResourceLangNotFound = 1815,
};

enum : Dword {
  // Registry access rights and options.
  kKeyQueryValue = 0x0001,
  kKeySetValue = 0x0002,
  kKeyCreateSubKey = 0x0004,
  kKeyEnumerateSubKeys = 0x0008,
  kKeyRead = 0x20019,
  kKeyAllAccess = 0xF003F,
  kRegOptionNonVolatile = 0,
  kRegCreatedNewKey = 1,
  kRegOpenedExistingKey = 2,
  // Registry value types.
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegMultiSz = 7,
};

enum : Dword {
  // File attributes.
  kFileAttributeReadonly = 0x01,
  kFileAttributeHidden = 0x02,
  kFileAttributeSystem = 0x04,
  kFileAttributeDirectory = 0x10,
  kFileAttributeArchive = 0x20,
  kFileAttributeNormal = 0x80,
  kInvalidFileAttributes = 0xFFFFFFFF,
  // MoveFileExA flags.
  kMoveFileReplaceExisting = 0x1,
  kMoveFileDelayUntilReboot = 0x4,
  // CreateFileA access, sharing and disposition.
  kGenericRead = 0x80000000u,
  kGenericWrite = 0x40000000u,
  kDeleteAccess = 0x00010000u,
  kFileShareRead = 0x1,
  kFileShareWrite = 0x2,
  kFileShareDelete = 0x4,
  kCreateAlways = 2,
  kOpenExisting = 3,
  // LoadLibraryEx search flags, for SetDefaultDllDirectories.
  kLoadLibrarySearchSystem32 = 0x800,
};

enum : Dword {
  // FormatMessageA flags and languages.
  kFormatMessageAllocateBuffer = 0x0100,
  kFormatMessageIgnoreInserts = 0x0200,
  kFormatMessageFromSystem = 0x1000,
  kLangUserDefault = 0x0400,  // MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT)
  // WideCharToMultiByte.
  kCpAcp = 0,
  kWcCompositeCheck = 0x200,
};

enum : uint32_t {
  // MessageBoxA types and results.
  kMbOk = 0x00,
  kMbYesNo = 0x04,
  kMbIconQuestion = 0x20,
  kMbIconExclamation = 0x30,
  kMbIconInformation = 0x40,
  kIdOk = 1,
  kIdCancel = 2,
  kIdYes = 6,
  kIdNo = 7,
};

enum : uint32_t {
  // Window messages.
  kWmDestroy = 0x0002,
  kWmPaint = 0x000F,
  kWmEraseBkgnd = 0x0014,
  kWmCommand = 0x0111,
  kWmMouseMove = 0x0200,
  kWmQueryNewPalette = 0x030F,
  kWmPaletteChanged = 0x0311,
  // Class and window styles.
  kCsVRedraw = 0x0001,
  kCsHRedraw = 0x0002,
  kWsOverlappedWindow = 0x00CF0000,
  kWsClipSiblings = 0x04000000,
  kWsClipChildren = 0x02000000,
  // DrawTextA formats.
  kDtCenter = 0x01,
  kDtVCenter = 0x04,
  kDtSingleLine = 0x20,
  // Background modes.
  kTransparent = 1,
  // GetDeviceCaps indices.
  kHorzRes = 8,
  kVertRes = 10,
  kBitsPixel = 12,
  kPlanes = 14,
  // Mapping mode.
  kMmText = 1,
  // Stock objects.
  kWhiteBrush = 0,
  // System cursors and icons (MAKEINTRESOURCE numbers).
  kIdcWait = 32514,
  kIdcAppStarting = 32650,
  kIdiApplication = 32512,
  // Show commands.
  kSwHide = 0,
  kSwShowNormal = 1,
  kSwShowDefault = 10,
};

enum : int32_t {
  // Shell special folders (CSIDL).
  kCsidlDesktopDirectory = 0x10,
  kCsidlProgramFiles = 0x26,
};

// --------------------------------------------------- kernel32: process ---
Dword GetLastError();
void SetLastError(Dword code);
Dword GetModuleFileNameA(HInstance module, char* fileName, Dword size);
HInstance GetModuleHandleA(const char* moduleName);
FarProc GetProcAddress(HInstance module, const char* procName);
Handle GetCurrentProcess();
const WideChar* GetCommandLineW();
Bool CreateProcessA(const char* applicationName, char* commandLine, SecurityAttributes* processAttributes,
                    SecurityAttributes* threadAttributes, Bool inheritHandles, Dword creationFlags, void* environment,
                    const char* currentDirectory, StartupInfoA* startupInfo, ProcessInformation* processInformation);
Bool CloseHandle(Handle object);
void Sleep(Dword milliseconds);
// Looked up at run time (GetProcAddress), because not every Windows has them.
using IsWow64ProcessFn = Bool(WINAPI_CALL*)(Handle process, Bool* wow64Process);
using Wow64DisableWow64FsRedirectionFn = Bool(WINAPI_CALL*)(void** oldValue);
using Wow64RevertWow64FsRedirectionFn = Bool(WINAPI_CALL*)(void* oldValue);
using SetDefaultDllDirectoriesFn = Bool(WINAPI_CALL*)(Dword directoryFlags);
Bool SetDllDirectoryA(const char* pathName);

// ------------------------------------------------------ kernel32: texts ---
Dword FormatMessageA(Dword flags, const void* source, Dword messageId, Dword languageId, char* buffer, Dword size,
                     va_list* arguments);
HLocal LocalFree(HLocal memory);
int WideCharToMultiByte(uint32_t codePage, Dword flags, const WideChar* wideCharStr, int wideCharCount,
                        char* multiByteStr, int multiByteCount, const char* defaultChar, Bool* usedDefaultChar);

// ------------------------------------------------------ kernel32: files ---
Handle FindFirstFileA(const char* fileName, Win32FindDataA* findData);
Bool FindNextFileA(Handle findFile, Win32FindDataA* findData);
Bool FindClose(Handle findFile);
Bool CopyFileA(const char* existingFileName, const char* newFileName, Bool failIfExists);
Bool SetFileAttributesA(const char* fileName, Dword fileAttributes);
Bool DeleteFileA(const char* fileName);
Bool RemoveDirectoryA(const char* pathName);
Bool MoveFileExA(const char* existingFileName, const char* newFileName, Dword flags);
Handle CreateFileA(const char* fileName, Dword desiredAccess, Dword shareMode, SecurityAttributes* securityAttributes,
                   Dword creationDisposition, Dword flagsAndAttributes, Handle templateFile);
Bool ReadFile(Handle file, void* buffer, Dword bytesToRead, Dword* bytesRead, void* overlapped);
uint32_t GetSystemDirectoryA(char* buffer, uint32_t size);
uint32_t GetSystemWow64DirectoryA(char* buffer, uint32_t size);
uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size);
Dword GetTempPathA(Dword bufferLength, char* buffer);

// ------------------------------------------------------------- advapi32 ---
Long RegOpenKeyExA(HKey key, const char* subKey, Dword options, Dword samDesired, HKey* result);
Long RegCreateKeyExA(HKey key, const char* subKey, Dword reserved, char* keyClass, Dword options, Dword samDesired,
                     SecurityAttributes* securityAttributes, HKey* result, Dword* disposition);
Long RegSetValueExA(HKey key, const char* valueName, Dword reserved, Dword type, const uint8_t* data, Dword dataSize);
Long RegQueryInfoKeyA(HKey key, char* keyClass, Dword* classLength, Dword* reserved, Dword* subKeys,
                      Dword* maxSubKeyLength, Dword* maxClassLength, Dword* values, Dword* maxValueNameLength,
                      Dword* maxValueLength, Dword* securityDescriptorLength, FileTime* lastWriteTime);
Long RegEnumKeyExA(HKey key, Dword index, char* name, Dword* nameLength, Dword* reserved, char* keyClass,
                   Dword* classLength, FileTime* lastWriteTime);
Long RegEnumValueA(HKey key, Dword index, char* valueName, Dword* valueNameLength, Dword* reserved, Dword* type,
                   uint8_t* data, Dword* dataLength);
Long RegDeleteKeyA(HKey key, const char* subKey);
Long RegCloseKey(HKey key);

// --------------------------------------------------------------- user32 ---
int wvsprintfA(char* output, const char* format, va_list arguments);
int MessageBoxA(HWnd owner, const char* text, const char* caption, uint32_t type);
HCursor LoadCursorA(HInstance instance, const char* cursorName);
HCursor SetCursor(HCursor cursor);
HIcon LoadIconA(HInstance instance, const char* iconName);
uint16_t RegisterClassExA(const WndClassExA* windowClass);
HWnd CreateWindowExA(Dword exStyle, const char* className, const char* windowName, Dword style, int x, int y, int width,
                     int height, HWnd parent, void* menu, HInstance instance, void* param);
Bool ShowWindow(HWnd window, int showCommand);
Bool UpdateWindow(HWnd window);
Bool InvalidateRect(HWnd window, const Rect* rect, Bool erase);
HDc BeginPaint(HWnd window, PaintStruct* paint);
Bool EndPaint(HWnd window, const PaintStruct* paint);
Bool GetClientRect(HWnd window, Rect* rect);
int DrawTextA(HDc dc, const char* text, int count, Rect* rect, uint32_t format);
LResult DefWindowProcA(HWnd window, uint32_t message, WParam wParam, LParam lParam);
HDc GetDC(HWnd window);
int ReleaseDC(HWnd window, HDc dc);
HPalette SelectPalette(HDc dc, HPalette palette, Bool forceBackground);
uint32_t RealizePalette(HDc dc);

// ---------------------------------------------------------------- gdi32 ---
HDc CreateDCA(const char* driver, const char* device, const char* output, const void* initData);
Bool DeleteDC(HDc dc);
int SetMapMode(HDc dc, int mode);
int GetDeviceCaps(HDc dc, int index);
HPalette CreatePalette(const LogPalette256* palette);
Bool DeleteObject(HGdiObj object);
HGdiObj GetStockObject(int object);
int SetBkMode(HDc dc, int mode);
Bool UpdateColors(HDc dc);

// -------------------------------------------------------------- shell32 ---
HResult SHGetMalloc(Malloc** allocator);
HResult SHGetSpecialFolderLocation(HWnd owner, int folder, ItemIdList** list);
Bool SHGetPathFromIDListA(const ItemIdList* list, char* path);
// The two IMalloc methods the program uses, under their C binding names.
void IMalloc_Free(Malloc* allocator, void* block);
uint32_t IMalloc_Release(Malloc* allocator);

}  // namespace win
