# The part of the mingw-w64 toolchain files that does not depend on the
# processor; MINGW_TRIPLET names the compilers' prefix.
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model needs no winpthread at all; the posix one gives the
# same program file, because everything is linked statically, and it has the
# std::mutex that GoogleTest needs. The other model is the fallback.
set(MINGW_THREAD_MODEL win32 CACHE STRING "Preferred thread model of the mingw-w64 compilers (win32 or posix)")
if(MINGW_THREAD_MODEL STREQUAL posix)
  set(MINGW_FALLBACK_MODEL win32)
else()
  set(MINGW_FALLBACK_MODEL posix)
endif()
find_program(MINGW_GXX REQUIRED NAMES
  ${MINGW_TRIPLET}-g++-${MINGW_THREAD_MODEL} ${MINGW_TRIPLET}-g++-${MINGW_FALLBACK_MODEL} ${MINGW_TRIPLET}-g++)
# Compiler checks (try_compile) must pick the same compiler.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_THREAD_MODEL MINGW_GXX)
get_filename_component(MINGW_GXX_NAME ${MINGW_GXX} NAME)
string(REPLACE "-g++" "-gcc" MINGW_GCC_NAME ${MINGW_GXX_NAME})
find_program(MINGW_GCC NAMES ${MINGW_GCC_NAME} REQUIRED)
find_program(MINGW_WINDRES NAMES ${MINGW_TRIPLET}-windres REQUIRED)
find_program(MINGW_OBJDUMP NAMES ${MINGW_TRIPLET}-objdump REQUIRED)

set(CMAKE_C_COMPILER ${MINGW_GCC})
set(CMAKE_CXX_COMPILER ${MINGW_GXX})
set(CMAKE_RC_COMPILER ${MINGW_WINDRES})

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
