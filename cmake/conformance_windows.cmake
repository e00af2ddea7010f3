# The conformance tests as a Windows program, built from the same sources as
# conformance_sim but against real Win32, and run under Wine: the 64-bit build
# in a 64-bit prefix, the 32-bit build in a 32-bit prefix and under WOW64 in a
# 64-bit prefix.

# GoogleTest from Debian's source package, built with this toolchain.
set(gtest_disable_pthreads ON CACHE BOOL "GoogleTest without pthreads (mingw)" FORCE)
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest/googletest CACHE PATH "GoogleTest sources")
if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${GOOGLETEST_SOURCE_DIR} (Debian package googletest)")
endif()
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# mingw's win32 thread model has no std::mutex, which GoogleTest's
# Notification class needs; a header of ours supplies the class instead.
target_compile_options(gtest PUBLIC -include ${CMAKE_SOURCE_DIR}/tests/conformance/gtest_mingw_threads.h)

file(GLOB CONFORMANCE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/conformance/*.cpp)
# setup_windows.cpp holds main(); setup_sim.cpp compiles to nothing here.
add_executable(conformance_windows ${CONFORMANCE_SOURCES})
target_include_directories(conformance_windows PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
target_compile_options(conformance_windows PRIVATE ${WARNINGS} -finput-charset=UTF-8 -fexec-charset=CP1252)
target_link_options(conformance_windows PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(conformance_windows PRIVATE program_windows gtest)

# Each run gets a prefix of its own under the build folder, made (or reused)
# by scripts/wine-prefix.sh.  Runs that need 32-bit x86 code report SKIPPED
# (exit code 77) on a machine that cannot execute it.
set(CONFORMANCE_RUNNER ${CMAKE_SOURCE_DIR}/tests/conformance/run_under_wine.sh)
set(CONFORMANCE_PREFIX_ROOT ${CMAKE_BINARY_DIR}/wine-prefixes)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CONFORMANCE_BITS 64)
  # prefix kind, and whether the process runs under WOW64 in it
  set(CONFORMANCE_RUNS "win64:0")
else()
  set(CONFORMANCE_BITS 32)
  set(CONFORMANCE_RUNS "win32:0" "win64:1")
endif()
foreach(run IN LISTS CONFORMANCE_RUNS)
  string(REPLACE ":" ";" run_parts ${run})
  list(GET run_parts 0 prefix_kind)
  list(GET run_parts 1 expect_wow64)
  set(test_name conformance.${prefix_kind}_prefix)
  add_test(NAME ${test_name}
    COMMAND bash ${CONFORMANCE_RUNNER} ${CONFORMANCE_BITS} ${prefix_kind}
            ${CONFORMANCE_PREFIX_ROOT}/conformance-${prefix_kind} ${expect_wow64}
            $<TARGET_FILE:conformance_windows>)
  set_tests_properties(${test_name} PROPERTIES
    LABELS conformance
    SKIP_RETURN_CODE 77
    TIMEOUT 900)
endforeach()
