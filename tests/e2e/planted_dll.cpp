// A DLL that someone planted beside the program: when any process loads it,
// it leaves "NAME.loaded" next to itself (NAME being its own file name), so
// that the file listing after a run shows whether its code ran. It needs
// nothing but kernel32 and exports nothing.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  char marker[MAX_PATH + 8];
  DWORD length = GetModuleFileNameA(self, marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcpyA(marker + length, ".loaded");
  HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
