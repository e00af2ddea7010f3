// Calls of the seam the simulated Windows does not answer yet.  Each stops
// the test that reaches it, so that nothing passes on an invented answer.
#include "platform/sim/sim_state.h"

namespace win {

Bool CreateProcessA(const char*, char*, SecurityAttributes*, SecurityAttributes*, Bool, Dword, void*, const char*,
                    StartupInfoA*, ProcessInformation*) {
  sim::NotModelled("CreateProcessA");
}
Bool CloseHandle(Handle) { sim::NotModelled("CloseHandle"); }
void Sleep(Dword) { sim::NotModelled("Sleep"); }
Bool SetDllDirectoryA(const char*) { sim::NotModelled("SetDllDirectoryA"); }

Handle FindFirstFileA(const char*, Win32FindDataA*) { sim::NotModelled("FindFirstFileA"); }
Bool FindNextFileA(Handle, Win32FindDataA*) { sim::NotModelled("FindNextFileA"); }
Bool FindClose(Handle) { sim::NotModelled("FindClose"); }
Bool CopyFileA(const char*, const char*, Bool) { sim::NotModelled("CopyFileA"); }
Bool SetFileAttributesA(const char*, Dword) { sim::NotModelled("SetFileAttributesA"); }
Bool DeleteFileA(const char*) { sim::NotModelled("DeleteFileA"); }
Bool RemoveDirectoryA(const char*) { sim::NotModelled("RemoveDirectoryA"); }
Bool MoveFileExA(const char*, const char*, Dword) { sim::NotModelled("MoveFileExA"); }
Handle CreateFileA(const char*, Dword, Dword, SecurityAttributes*, Dword, Dword, Handle) {
  sim::NotModelled("CreateFileA");
}
uint32_t GetSystemDirectoryA(char*, uint32_t) { sim::NotModelled("GetSystemDirectoryA"); }
uint32_t GetSystemWow64DirectoryA(char*, uint32_t) { sim::NotModelled("GetSystemWow64DirectoryA"); }
uint32_t GetWindowsDirectoryA(char*, uint32_t) { sim::NotModelled("GetWindowsDirectoryA"); }
Dword GetTempPathA(Dword, char*) { sim::NotModelled("GetTempPathA"); }

Long RegOpenKeyExA(HKey, const char*, Dword, Dword, HKey*) { sim::NotModelled("RegOpenKeyExA"); }
Long RegCreateKeyExA(HKey, const char*, Dword, char*, Dword, Dword, SecurityAttributes*, HKey*, Dword*) {
  sim::NotModelled("RegCreateKeyExA");
}
Long RegSetValueExA(HKey, const char*, Dword, Dword, const uint8_t*, Dword) { sim::NotModelled("RegSetValueExA"); }
Long RegQueryInfoKeyA(HKey, char*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*, Dword*,
                      FileTime*) {
  sim::NotModelled("RegQueryInfoKeyA");
}
Long RegEnumKeyExA(HKey, Dword, char*, Dword*, Dword*, char*, Dword*, FileTime*) {
  sim::NotModelled("RegEnumKeyExA");
}
Long RegEnumValueA(HKey, Dword, char*, Dword*, Dword*, Dword*, uint8_t*, Dword*) {
  sim::NotModelled("RegEnumValueA");
}
Long RegDeleteKeyA(HKey, const char*) { sim::NotModelled("RegDeleteKeyA"); }
Long RegCloseKey(HKey) { sim::NotModelled("RegCloseKey"); }

HIcon LoadIconA(HInstance, const char*) { sim::NotModelled("LoadIconA"); }
uint16_t RegisterClassExA(const WndClassExA*) { sim::NotModelled("RegisterClassExA"); }
HWnd CreateWindowExA(Dword, const char*, const char*, Dword, int, int, int, int, HWnd, void*, HInstance, void*) {
  sim::NotModelled("CreateWindowExA");
}
Bool ShowWindow(HWnd, int) { sim::NotModelled("ShowWindow"); }
Bool UpdateWindow(HWnd) { sim::NotModelled("UpdateWindow"); }
Bool InvalidateRect(HWnd, const Rect*, Bool) { sim::NotModelled("InvalidateRect"); }
HDc BeginPaint(HWnd, PaintStruct*) { sim::NotModelled("BeginPaint"); }
Bool EndPaint(HWnd, const PaintStruct*) { sim::NotModelled("EndPaint"); }
Bool GetClientRect(HWnd, Rect*) { sim::NotModelled("GetClientRect"); }
int DrawTextA(HDc, const char*, int, Rect*, uint32_t) { sim::NotModelled("DrawTextA"); }
LResult DefWindowProcA(HWnd, uint32_t, WParam, LParam) { sim::NotModelled("DefWindowProcA"); }
HDc GetDC(HWnd) { sim::NotModelled("GetDC"); }
int ReleaseDC(HWnd, HDc) { sim::NotModelled("ReleaseDC"); }
HGdiObj GetStockObject(int) { sim::NotModelled("GetStockObject"); }
int SetBkMode(HDc, int) { sim::NotModelled("SetBkMode"); }
Bool UpdateColors(HDc) { sim::NotModelled("UpdateColors"); }

HResult SHGetMalloc(Malloc**) { sim::NotModelled("SHGetMalloc"); }
HResult SHGetSpecialFolderLocation(HWnd, int, ItemIdList**) { sim::NotModelled("SHGetSpecialFolderLocation"); }
Bool SHGetPathFromIDListA(const ItemIdList*, char*) { sim::NotModelled("SHGetPathFromIDListA"); }
void IMalloc_Free(Malloc*, void*) { sim::NotModelled("IMalloc_Free"); }
uint32_t IMalloc_Release(Malloc*) { sim::NotModelled("IMalloc_Release"); }

}  // namespace win
