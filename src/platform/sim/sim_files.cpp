// The simulated file system, shell folders and process creation.
// Calls not modelled yet stop the test that reaches them, so that nothing
// passes on an invented answer.
#include "platform/sim/sim_state.h"

namespace sim {

void ResetFiles() {}

}  // namespace sim

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

HResult SHGetMalloc(Malloc**) { sim::NotModelled("SHGetMalloc"); }
HResult SHGetSpecialFolderLocation(HWnd, int, ItemIdList**) { sim::NotModelled("SHGetSpecialFolderLocation"); }
Bool SHGetPathFromIDListA(const ItemIdList*, char*) { sim::NotModelled("SHGetPathFromIDListA"); }
void IMalloc_Free(Malloc*, void*) { sim::NotModelled("IMalloc_Free"); }
uint32_t IMalloc_Release(Malloc*) { sim::NotModelled("IMalloc_Release"); }

}  // namespace win
