// A program that imports at load time the calls that only some Windows
// versions have: what the program file must never do. Linked statically, so
// that these calls are the only fault the import check can find in it.
#include <windows.h>

int main() {
  BOOL wow64 = FALSE;
  IsWow64Process(GetCurrentProcess(), &wow64);
  PVOID redirection = nullptr;
  Wow64DisableWow64FsRedirection(&redirection);
  Wow64RevertWow64FsRedirection(redirection);
  Wow64EnableWow64FsRedirection(TRUE);
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return wow64;
}
