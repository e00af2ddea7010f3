// The Windows entry point: hands its arguments to the program, which knows
// Windows only through the seam.
#include <windows.h>

#include "platform/windows_api.h"
#include "shell/entry_point.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
  return ProgramEntry(reinterpret_cast<win::HInstance>(instance), reinterpret_cast<win::HInstance>(previousInstance),
                      commandLine, showCommand);
}
