# Cross-compiling the same program code for 64-bit x86. Not the product: it
# lets the program run against a real Win32 under wine64 where 32-bit code
# cannot run.
set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
