// Forwards each call of the seam to Windows. Nothing but casts lives here:
// whatever could be wrong must be testable on the simulated Windows.
#include <windows.h>
// after windows.h, whose types it needs
#include <shlobj.h>

#include <cstddef>

#include "platform/windows_api.h"

namespace win {

// The program's structures must have Windows' layout, so that a cast passes
// them through unchanged.
static_assert(sizeof(Rect) == sizeof(RECT), "RECT");
static_assert(sizeof(PaintStruct) == sizeof(PAINTSTRUCT), "PAINTSTRUCT");
static_assert(sizeof(WndClassExA) == sizeof(WNDCLASSEXA), "WNDCLASSEXA");
static_assert(offsetof(WndClassExA, lpszClassName) == offsetof(WNDCLASSEXA, lpszClassName), "WNDCLASSEXA");
static_assert(sizeof(StartupInfoA) == sizeof(STARTUPINFOA), "STARTUPINFOA");
static_assert(sizeof(ProcessInformation) == sizeof(PROCESS_INFORMATION), "PROCESS_INFORMATION");
static_assert(sizeof(Win32FindDataA) == sizeof(WIN32_FIND_DATAA), "WIN32_FIND_DATAA");
static_assert(offsetof(Win32FindDataA, cFileName) == offsetof(WIN32_FIND_DATAA, cFileName), "WIN32_FIND_DATAA");
static_assert(sizeof(FileTime) == sizeof(FILETIME), "FILETIME");
static_assert(sizeof(PaletteEntry) == sizeof(PALETTEENTRY), "PALETTEENTRY");
static_assert(offsetof(LogPalette256, palPalEntry) == offsetof(LOGPALETTE, palPalEntry), "LOGPALETTE");

template <typename To, typename From>
static To As(From value) {
  return reinterpret_cast<To>(value);
}

// kernel32: process
Dword GetLastError() { return ::GetLastError(); }
void SetLastError(Dword code) { ::SetLastError(code); }
Dword GetModuleFileNameA(HInstance module, char* fileName, Dword size) {
  return ::GetModuleFileNameA(As<HMODULE>(module), fileName, size);
}
HInstance GetModuleHandleA(const char* moduleName) { return As<HInstance>(::GetModuleHandleA(moduleName)); }
FarProc GetProcAddress(HInstance module, const char* procName) {
  return As<FarProc>(::GetProcAddress(As<HMODULE>(module), procName));
}
Handle GetCurrentProcess() { return ::GetCurrentProcess(); }
const WideChar* GetCommandLineW() { return As<const WideChar*>(::GetCommandLineW()); }
Bool CreateProcessA(const char* applicationName, char* commandLine, SecurityAttributes* processAttributes,
                    SecurityAttributes* threadAttributes, Bool inheritHandles, Dword creationFlags, void* environment,
                    const char* currentDirectory, StartupInfoA* startupInfo, ProcessInformation* processInformation) {
  return ::CreateProcessA(applicationName, commandLine, As<LPSECURITY_ATTRIBUTES>(processAttributes),
                          As<LPSECURITY_ATTRIBUTES>(threadAttributes), inheritHandles, creationFlags, environment,
                          currentDirectory, As<LPSTARTUPINFOA>(startupInfo),
                          As<LPPROCESS_INFORMATION>(processInformation));
}
Bool CloseHandle(Handle object) { return ::CloseHandle(object); }
void Sleep(Dword milliseconds) { ::Sleep(milliseconds); }
Bool SetDllDirectoryA(const char* pathName) { return ::SetDllDirectoryA(pathName); }

// kernel32: texts
Dword FormatMessageA(Dword flags, const void* source, Dword messageId, Dword languageId, char* buffer, Dword size,
                     va_list* arguments) {
  return ::FormatMessageA(flags, source, messageId, languageId, buffer, size, arguments);
}
HLocal LocalFree(HLocal memory) { return ::LocalFree(memory); }
int WideCharToMultiByte(uint32_t codePage, Dword flags, const WideChar* wideCharStr, int wideCharCount,
                        char* multiByteStr, int multiByteCount, const char* defaultChar, Bool* usedDefaultChar) {
  return ::WideCharToMultiByte(codePage, flags, As<LPCWCH>(wideCharStr), wideCharCount, multiByteStr, multiByteCount,
                               defaultChar, As<LPBOOL>(usedDefaultChar));
}

// kernel32: files
Handle FindFirstFileA(const char* fileName, Win32FindDataA* findData) {
  return ::FindFirstFileA(fileName, As<LPWIN32_FIND_DATAA>(findData));
}
Bool FindNextFileA(Handle findFile, Win32FindDataA* findData) {
  return ::FindNextFileA(findFile, As<LPWIN32_FIND_DATAA>(findData));
}
Bool FindClose(Handle findFile) { return ::FindClose(findFile); }
Bool CopyFileA(const char* existingFileName, const char* newFileName, Bool failIfExists) {
  return ::CopyFileA(existingFileName, newFileName, failIfExists);
}
Bool SetFileAttributesA(const char* fileName, Dword fileAttributes) {
  return ::SetFileAttributesA(fileName, fileAttributes);
}
Bool DeleteFileA(const char* fileName) { return ::DeleteFileA(fileName); }
Bool RemoveDirectoryA(const char* pathName) { return ::RemoveDirectoryA(pathName); }
Bool MoveFileExA(const char* existingFileName, const char* newFileName, Dword flags) {
  return ::MoveFileExA(existingFileName, newFileName, flags);
}
Handle CreateFileA(const char* fileName, Dword desiredAccess, Dword shareMode, SecurityAttributes* securityAttributes,
                   Dword creationDisposition, Dword flagsAndAttributes, Handle templateFile) {
  return ::CreateFileA(fileName, desiredAccess, shareMode, As<LPSECURITY_ATTRIBUTES>(securityAttributes),
                       creationDisposition, flagsAndAttributes, templateFile);
}
Bool ReadFile(Handle file, void* buffer, Dword bytesToRead, Dword* bytesRead, void* overlapped) {
  return ::ReadFile(file, buffer, bytesToRead, As<LPDWORD>(bytesRead), As<LPOVERLAPPED>(overlapped));
}
uint32_t GetSystemDirectoryA(char* buffer, uint32_t size) { return ::GetSystemDirectoryA(buffer, size); }
uint32_t GetSystemWow64DirectoryA(char* buffer, uint32_t size) { return ::GetSystemWow64DirectoryA(buffer, size); }
uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) { return ::GetWindowsDirectoryA(buffer, size); }
Dword GetTempPathA(Dword bufferLength, char* buffer) { return ::GetTempPathA(bufferLength, buffer); }

// advapi32
Long RegOpenKeyExA(HKey key, const char* subKey, Dword options, Dword samDesired, HKey* result) {
  return ::RegOpenKeyExA(As<HKEY>(key), subKey, options, samDesired, As<PHKEY>(result));
}
Long RegCreateKeyExA(HKey key, const char* subKey, Dword reserved, char* keyClass, Dword options, Dword samDesired,
                     SecurityAttributes* securityAttributes, HKey* result, Dword* disposition) {
  return ::RegCreateKeyExA(As<HKEY>(key), subKey, reserved, keyClass, options, samDesired,
                           As<LPSECURITY_ATTRIBUTES>(securityAttributes), As<PHKEY>(result), As<LPDWORD>(disposition));
}
Long RegSetValueExA(HKey key, const char* valueName, Dword reserved, Dword type, const uint8_t* data, Dword dataSize) {
  return ::RegSetValueExA(As<HKEY>(key), valueName, reserved, type, data, dataSize);
}
Long RegQueryInfoKeyA(HKey key, char* keyClass, Dword* classLength, Dword* reserved, Dword* subKeys,
                      Dword* maxSubKeyLength, Dword* maxClassLength, Dword* values, Dword* maxValueNameLength,
                      Dword* maxValueLength, Dword* securityDescriptorLength, FileTime* lastWriteTime) {
  return ::RegQueryInfoKeyA(As<HKEY>(key), keyClass, As<LPDWORD>(classLength), As<LPDWORD>(reserved),
                            As<LPDWORD>(subKeys), As<LPDWORD>(maxSubKeyLength), As<LPDWORD>(maxClassLength),
                            As<LPDWORD>(values), As<LPDWORD>(maxValueNameLength), As<LPDWORD>(maxValueLength),
                            As<LPDWORD>(securityDescriptorLength), As<PFILETIME>(lastWriteTime));
}
Long RegEnumKeyExA(HKey key, Dword index, char* name, Dword* nameLength, Dword* reserved, char* keyClass,
                   Dword* classLength, FileTime* lastWriteTime) {
  return ::RegEnumKeyExA(As<HKEY>(key), index, name, As<LPDWORD>(nameLength), As<LPDWORD>(reserved), keyClass,
                         As<LPDWORD>(classLength), As<PFILETIME>(lastWriteTime));
}
Long RegEnumValueA(HKey key, Dword index, char* valueName, Dword* valueNameLength, Dword* reserved, Dword* type,
                   uint8_t* data, Dword* dataLength) {
  return ::RegEnumValueA(As<HKEY>(key), index, valueName, As<LPDWORD>(valueNameLength), As<LPDWORD>(reserved),
                         As<LPDWORD>(type), data, As<LPDWORD>(dataLength));
}
Long RegDeleteKeyA(HKey key, const char* subKey) { return ::RegDeleteKeyA(As<HKEY>(key), subKey); }
Long RegCloseKey(HKey key) { return ::RegCloseKey(As<HKEY>(key)); }

// user32
int wvsprintfA(char* output, const char* format, va_list arguments) { return ::wvsprintfA(output, format, arguments); }
int MessageBoxA(HWnd owner, const char* text, const char* caption, uint32_t type) {
  return ::MessageBoxA(As<HWND>(owner), text, caption, type);
}
HCursor LoadCursorA(HInstance instance, const char* cursorName) {
  return As<HCursor>(::LoadCursorA(As<HINSTANCE>(instance), cursorName));
}
HCursor SetCursor(HCursor cursor) { return As<HCursor>(::SetCursor(As<HCURSOR>(cursor))); }
HIcon LoadIconA(HInstance instance, const char* iconName) {
  return As<HIcon>(::LoadIconA(As<HINSTANCE>(instance), iconName));
}
uint16_t RegisterClassExA(const WndClassExA* windowClass) {
  return ::RegisterClassExA(As<const WNDCLASSEXA*>(windowClass));
}
HWnd CreateWindowExA(Dword exStyle, const char* className, const char* windowName, Dword style, int x, int y, int width,
                     int height, HWnd parent, void* menu, HInstance instance, void* param) {
  return As<HWnd>(::CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, As<HWND>(parent),
                                    As<HMENU>(menu), As<HINSTANCE>(instance), param));
}
Bool ShowWindow(HWnd window, int showCommand) { return ::ShowWindow(As<HWND>(window), showCommand); }
Bool UpdateWindow(HWnd window) { return ::UpdateWindow(As<HWND>(window)); }
Bool InvalidateRect(HWnd window, const Rect* rect, Bool erase) {
  return ::InvalidateRect(As<HWND>(window), As<const RECT*>(rect), erase);
}
HDc BeginPaint(HWnd window, PaintStruct* paint) {
  return As<HDc>(::BeginPaint(As<HWND>(window), As<LPPAINTSTRUCT>(paint)));
}
Bool EndPaint(HWnd window, const PaintStruct* paint) {
  return ::EndPaint(As<HWND>(window), As<const PAINTSTRUCT*>(paint));
}
Bool GetClientRect(HWnd window, Rect* rect) { return ::GetClientRect(As<HWND>(window), As<LPRECT>(rect)); }
int DrawTextA(HDc dc, const char* text, int count, Rect* rect, uint32_t format) {
  return ::DrawTextA(As<HDC>(dc), text, count, As<LPRECT>(rect), format);
}
LResult DefWindowProcA(HWnd window, uint32_t message, WParam wParam, LParam lParam) {
  return ::DefWindowProcA(As<HWND>(window), message, wParam, lParam);
}
HDc GetDC(HWnd window) { return As<HDc>(::GetDC(As<HWND>(window))); }
int ReleaseDC(HWnd window, HDc dc) { return ::ReleaseDC(As<HWND>(window), As<HDC>(dc)); }

// gdi32
HPalette SelectPalette(HDc dc, HPalette palette, Bool forceBackground) {
  return As<HPalette>(::SelectPalette(As<HDC>(dc), As<HPALETTE>(palette), forceBackground));
}
uint32_t RealizePalette(HDc dc) { return ::RealizePalette(As<HDC>(dc)); }
HDc CreateDCA(const char* driver, const char* device, const char* output, const void* initData) {
  return As<HDc>(::CreateDCA(driver, device, output, As<const DEVMODEA*>(initData)));
}
Bool DeleteDC(HDc dc) { return ::DeleteDC(As<HDC>(dc)); }
int SetMapMode(HDc dc, int mode) { return ::SetMapMode(As<HDC>(dc), mode); }
int GetDeviceCaps(HDc dc, int index) { return ::GetDeviceCaps(As<HDC>(dc), index); }
HPalette CreatePalette(const LogPalette256* palette) {
  return As<HPalette>(::CreatePalette(As<const LOGPALETTE*>(palette)));
}
Bool DeleteObject(HGdiObj object) { return ::DeleteObject(object); }
HGdiObj GetStockObject(int object) { return ::GetStockObject(object); }
int SetBkMode(HDc dc, int mode) { return ::SetBkMode(As<HDC>(dc), mode); }
Bool UpdateColors(HDc dc) { return ::UpdateColors(As<HDC>(dc)); }

// shell32
HResult SHGetMalloc(Malloc** allocator) { return ::SHGetMalloc(As<LPMALLOC*>(allocator)); }
HResult SHGetSpecialFolderLocation(HWnd owner, int folder, ItemIdList** list) {
  return ::SHGetSpecialFolderLocation(As<HWND>(owner), folder, As<LPITEMIDLIST*>(list));
}
Bool SHGetPathFromIDListA(const ItemIdList* list, char* path) {
  return ::SHGetPathFromIDListA(As<LPCITEMIDLIST>(list), path);
}
void IMalloc_Free(Malloc* allocator, void* block) { As<IMalloc*>(allocator)->Free(block); }
uint32_t IMalloc_Release(Malloc* allocator) { return As<IMalloc*>(allocator)->Release(); }

}  // namespace win
