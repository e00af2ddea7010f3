# The native build: program code on the simulated Windows, with the unit and
# conformance tests, under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)
include(GoogleTest)

add_compile_options(-fexec-charset=CP1252)
set(SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

file(GLOB SIM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/sim/*.cpp)

add_library(platform_sim STATIC ${SIM_SOURCES})
target_include_directories(platform_sim PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(platform_sim PUBLIC ${SANITIZE} PRIVATE ${WARNINGS})
target_link_options(platform_sim PUBLIC ${SANITIZE})

add_library(program STATIC ${PROGRAM_SOURCES})
target_include_directories(program PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_options(program PRIVATE ${WARNINGS})
target_link_libraries(program PUBLIC platform_sim)

file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_include_directories(unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_options(unit_tests PRIVATE ${WARNINGS})
target_link_libraries(unit_tests PRIVATE program GTest::gtest GTest::gtest_main)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
# The whole binary must also pass in a shuffled order, as one process.
add_test(NAME unit_tests_shuffled COMMAND unit_tests --gtest_shuffle --gtest_repeat=2)
set_tests_properties(unit_tests_shuffled PROPERTIES LABELS unit)

file(GLOB CONFORMANCE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/conformance/*.cpp)
if(CONFORMANCE_SOURCES)
add_executable(conformance_sim ${CONFORMANCE_SOURCES})
target_include_directories(conformance_sim PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_compile_definitions(conformance_sim PRIVATE CONFORMANCE_ON_SIM=1)
target_compile_options(conformance_sim PRIVATE ${WARNINGS})
target_link_libraries(conformance_sim PRIVATE program GTest::gtest GTest::gtest_main)
gtest_discover_tests(conformance_sim TEST_PREFIX "sim." DISCOVERY_TIMEOUT 60 PROPERTIES LABELS conformance)
endif()

# Every C++ file keeps the project's format (.clang-format).
find_program(CLANG_FORMAT NAMES clang-format clang-format-14)
file(GLOB_RECURSE FORMATTED_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h
  ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
  ${CMAKE_SOURCE_DIR}/resources/*.h)
if(CLANG_FORMAT)
  add_test(NAME style.clang_format COMMAND ${CLANG_FORMAT} --dry-run -Werror ${FORMATTED_SOURCES})
else()
  add_test(NAME style.clang_format COMMAND sh -c "echo 'clang-format is missing (scripts/install-deps.sh installs it)'; exit 1")
endif()
set_tests_properties(style.clang_format PROPERTIES LABELS style)

if(UNINSTALLER_FUZZ)
  include(cmake/fuzz_build.cmake)
endif()
