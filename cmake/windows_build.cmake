# The Windows build: the GUI program, linked statically, with its resources,
# and the tests of the built file. The product is the 32-bit build; the 64-bit
# one exists to run the same code under wine64.
enable_language(RC)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The sources are UTF-8; everything the program shows is code page 1252.
set(WINDOWS_CODE_FLAGS
  -finput-charset=UTF-8 -fexec-charset=CP1252
  -fno-exceptions -fno-rtti -ffunction-sections)
# The program throws nothing, so its 32-bit code needs no unwind tables (a
# tenth of the file otherwise). 64-bit Windows itself unwinds with them.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND WINDOWS_CODE_FLAGS -fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()
# No -fdata-sections: mingw would then put zero-filled process-wide values into
# the file instead of .bss.
# Only system DLLs may be imported: the C and C++ runtimes (and winpthread,
# with the posix thread model) go into the program file.
set(WINDOWS_LINK_FLAGS -static -static-libgcc -static-libstdc++ -Wl,--gc-sections -s)

file(GLOB WIN32_SEAM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/*.cpp)
list(REMOVE_ITEM WIN32_SEAM_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/win32/winmain.cpp)
add_library(platform_win32 STATIC ${WIN32_SEAM_SOURCES})
target_include_directories(platform_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(platform_win32 PRIVATE ${WARNINGS} ${WINDOWS_CODE_FLAGS})
target_link_libraries(platform_win32 PUBLIC user32 gdi32 advapi32 shell32 kernel32)

# The icon is drawn from a text picture kept in the repository.
set(ICON_FILE ${CMAKE_CURRENT_BINARY_DIR}/program.ico)
add_custom_command(
  OUTPUT ${ICON_FILE}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/resources/make_icon.py
          ${CMAKE_SOURCE_DIR}/resources/program_icon.txt ${ICON_FILE}
  DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icon.py ${CMAKE_SOURCE_DIR}/resources/program_icon.txt
  COMMENT "Drawing the program icon"
  VERBATIM)
# The script includes the manifest and the product's names and version, which
# the program shares; all of them are UTF-8.
set(RESOURCE_SCRIPT ${CMAKE_SOURCE_DIR}/resources/uninstaller.rc)
set_source_files_properties(${RESOURCE_SCRIPT} PROPERTIES
  OBJECT_DEPENDS "${ICON_FILE};${CMAKE_SOURCE_DIR}/resources/uninstaller.manifest;${CMAKE_SOURCE_DIR}/resources/product_strings.h"
  COMPILE_OPTIONS "--codepage=65001;-I${CMAKE_CURRENT_BINARY_DIR}")

# The program code as a library: the program links it, and so do the
# conformance tests that run program code against real Windows.
add_library(program_windows STATIC ${PROGRAM_SOURCES})
target_include_directories(program_windows PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(program_windows PRIVATE ${WARNINGS} ${WINDOWS_CODE_FLAGS})
target_link_libraries(program_windows PUBLIC platform_win32)

# The program file: the start-up, the resources and the program code. The
# end-to-end tests make a second one from the same pieces.
function(add_uninstaller_program target)
  add_executable(${target} WIN32
    ${CMAKE_SOURCE_DIR}/src/platform/win32/winmain.cpp
    ${RESOURCE_SCRIPT}
    ${ICON_FILE})
  # Quoted, so that the lists stay inside the generator expression; the
  # resource compiler gets none of these.
  target_compile_options(${target} PRIVATE
    "$<$<COMPILE_LANGUAGE:CXX>:${WARNINGS};${WINDOWS_CODE_FLAGS}>")
  target_link_options(${target} PRIVATE ${WINDOWS_LINK_FLAGS})
  target_link_libraries(${target} PRIVATE program_windows)
endfunction()
add_uninstaller_program(Uninstall_Oskaldrv)

# Tests of the built program file: format, imports, icon, manifest, version
# information, texts.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(EXPECTED_PE_FORMAT pei-i386)
else()
  set(EXPECTED_PE_FORMAT pei-x86-64)
endif()
if(NOT MINGW_OBJDUMP)  # set by the mingw toolchain files
  set(MINGW_OBJDUMP ${CMAKE_OBJDUMP})
endif()
set(ARTIFACT_TESTS ${CMAKE_SOURCE_DIR}/tests/artifact)
set(PROGRAM_FILE $<TARGET_FILE:Uninstall_Oskaldrv>)
add_test(NAME artifact.pe_format
  COMMAND bash ${ARTIFACT_TESTS}/check_pe_format.sh ${MINGW_OBJDUMP} ${PROGRAM_FILE} ${EXPECTED_PE_FORMAT})
add_test(NAME artifact.imports
  COMMAND bash ${ARTIFACT_TESTS}/check_imports.sh ${MINGW_OBJDUMP} ${PROGRAM_FILE})
add_test(NAME artifact.icon
  COMMAND Python3::Interpreter ${ARTIFACT_TESTS}/check_icon.py ${PROGRAM_FILE})
add_test(NAME artifact.manifest
  COMMAND Python3::Interpreter ${ARTIFACT_TESTS}/check_manifest.py ${PROGRAM_FILE})
add_test(NAME artifact.version
  COMMAND Python3::Interpreter ${ARTIFACT_TESTS}/check_version.py ${PROGRAM_FILE})
add_test(NAME artifact.texts
  COMMAND bash ${ARTIFACT_TESTS}/check_texts.sh ${PROGRAM_FILE})
# The checks themselves must fail on a faulty file: a console program that
# needs the C++ runtime DLLs, one that imports the calls only some Windows
# versions have (linked statically, so that this is its only fault), and
# altered copies of the program.
add_executable(artifact_dynamic_probe ${ARTIFACT_TESTS}/dynamic_probe.cpp)
add_executable(artifact_static_import_probe ${ARTIFACT_TESTS}/static_import_probe.cpp)
target_link_options(artifact_static_import_probe PRIVATE -static)
add_test(NAME artifact.checks_reject_faults
  COMMAND bash ${ARTIFACT_TESTS}/checks_reject_faults.sh ${MINGW_OBJDUMP} ${PROGRAM_FILE} ${EXPECTED_PE_FORMAT}
          $<TARGET_FILE:artifact_dynamic_probe> ${Python3_EXECUTABLE}
          $<TARGET_FILE:artifact_static_import_probe>)
set_tests_properties(artifact.pe_format artifact.imports artifact.icon artifact.manifest artifact.version
  artifact.texts artifact.checks_reject_faults
  PROPERTIES LABELS artifact)

# The conformance tests and the UI robot, as Windows programs run under Wine.
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/conformance_windows.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/conformance_windows.cmake)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/e2e_windows.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/e2e_windows.cmake)
endif()
