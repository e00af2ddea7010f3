# The libFuzzer targets (layout registry logic, command line, texts), in a
# build of their own made with clang:
#
#   cmake -S . -B build/fuzz -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DUNINSTALLER_FUZZ=ON
#   cmake --build build/fuzz -j2 --target layouts_fuzz cmdline_fuzz texts_fuzz
#   ctest --test-dir build/fuzz -L fuzz
#
# Included by sim_build.cmake after the program and the simulation exist.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "UNINSTALLER_FUZZ needs clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

# clang knows no code page 1252 for its output; the texts stay UTF-8 here,
# which changes their length, not what the fuzzer exercises.
get_directory_property(options COMPILE_OPTIONS)
list(REMOVE_ITEM options -fexec-charset=CP1252)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${options}")
foreach(target platform_sim program unit_tests conformance_sim)
  if(TARGET ${target})
    get_target_property(options ${target} COMPILE_OPTIONS)
    list(REMOVE_ITEM options -fexec-charset=CP1252)
    set_target_properties(${target} PROPERTIES COMPILE_OPTIONS "${options}")
  endif()
endforeach()

# Coverage feedback from the code under test, the fuzzer's main in the target.
target_compile_options(platform_sim PRIVATE -fsanitize=fuzzer-no-link)
target_compile_options(program PRIVATE -fsanitize=fuzzer-no-link)

add_executable(layouts_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/layouts_fuzz.cpp)
target_include_directories(layouts_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(layouts_fuzz PRIVATE ${WARNINGS} -fsanitize=fuzzer)
target_link_options(layouts_fuzz PRIVATE -fsanitize=fuzzer)
target_link_libraries(layouts_fuzz PRIVATE program)

# A bounded run for the test command: new inputs go to a scratch folder, the
# committed corpus is only read.  LAYOUTS_FUZZ_SECONDS sets the time.
set(LAYOUTS_FUZZ_SECONDS 60 CACHE STRING "Seconds the fuzz test runs")
set(LAYOUTS_FUZZ_SCRATCH ${CMAKE_BINARY_DIR}/fuzz-scratch)
add_test(NAME fuzz.layouts
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
          sh -c "mkdir -p '${LAYOUTS_FUZZ_SCRATCH}' && exec \"$0\" -max_total_time=${LAYOUTS_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${LAYOUTS_FUZZ_SCRATCH}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus'"
          $<TARGET_FILE:layouts_fuzz>)
set_tests_properties(fuzz.layouts PROPERTIES LABELS fuzz TIMEOUT 3600)

# The command-line splitting with the argument check, and the text
# formatting; each with its own committed corpus and a short bounded run.
set(TEXT_FUZZ_SECONDS 20 CACHE STRING "Seconds each of the command-line and text fuzz tests runs")
foreach(name cmdline texts)
  add_executable(${name}_fuzz ${CMAKE_SOURCE_DIR}/tests/fuzz/${name}_fuzz.cpp)
  target_compile_options(${name}_fuzz PRIVATE ${WARNINGS} -fsanitize=fuzzer)
  target_link_options(${name}_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name}_fuzz PRIVATE program)
  set(scratch ${CMAKE_BINARY_DIR}/fuzz-scratch-${name})
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
            sh -c "mkdir -p '${scratch}' && exec \"$0\" -max_total_time=${TEXT_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 '${scratch}' '${CMAKE_SOURCE_DIR}/tests/fuzz/corpus_${name}'"
            $<TARGET_FILE:${name}_fuzz>)
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 600)
endforeach()
