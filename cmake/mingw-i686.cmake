# Cross-compiling the Windows program with Debian's mingw-w64 for 32-bit x86:
# the product.
set(MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
