# End-to-end tests: the built program under Wine, driven by the UI robot
# (tests/e2e/robot.cpp, built here for the program's processor) in a prefix
# that holds the installed product (laid out by tests/e2e/fixture_tool.cpp,
# built likewise), one test per scenario of tests/e2e/scenarios.txt and prefix
# kind. The 64-bit build runs
# in a 64-bit prefix; the 32-bit product runs in a 32-bit prefix and under
# WOW64 in a 64-bit one. Runs that need 32-bit x86 code report SKIPPED (exit
# code 77) on a machine that cannot execute it.
#
# Fixtures, made once per ctest run: the Xvfb displays (stopped at the end by
# process id) and one prefix template per kind (scripts/wine-prefix.sh) with
# the installed product, which each scenario copies.

# The program without its manifest, for the test that the manifest leaves the
# status window's place and size alone under Wine: otherwise the same pieces
# as the product. Built with everything else, but never part of the product.
add_uninstaller_program(Uninstall_Oskaldrv_no_manifest)
target_compile_definitions(Uninstall_Oskaldrv_no_manifest PRIVATE "$<$<COMPILE_LANGUAGE:RC>:NO_MANIFEST>")

add_executable(e2e_robot ${CMAKE_SOURCE_DIR}/tests/e2e/robot.cpp)
set_target_properties(e2e_robot PROPERTIES OUTPUT_NAME robot)
target_compile_options(e2e_robot PRIVATE ${WARNINGS} -municode)
target_link_options(e2e_robot PRIVATE -municode -static -static-libgcc -static-libstdc++)
target_link_libraries(e2e_robot PRIVATE user32 gdi32 kernel32)

# Without user32: Wine rewrites the user's first keyboard layout in every
# process that loads it.
add_executable(e2e_fixture_tool ${CMAKE_SOURCE_DIR}/tests/e2e/fixture_tool.cpp)
set_target_properties(e2e_fixture_tool PROPERTIES OUTPUT_NAME fixture_tool)
target_compile_options(e2e_fixture_tool PRIVATE ${WARNINGS} -municode)
target_link_options(e2e_fixture_tool PRIVATE -municode -static -static-libgcc -static-libstdc++)
target_link_libraries(e2e_fixture_tool PRIVATE advapi32 kernel32)

# A DLL for the scenarios to plant beside the program: it marks its loading
# with a file next to itself.
add_library(e2e_planted_dll SHARED ${CMAKE_SOURCE_DIR}/tests/e2e/planted_dll.cpp)
set_target_properties(e2e_planted_dll PROPERTIES OUTPUT_NAME planted PREFIX "")
target_compile_options(e2e_planted_dll PRIVATE ${WARNINGS})
target_link_options(e2e_planted_dll PRIVATE -static-libgcc -static-libstdc++)
target_link_libraries(e2e_planted_dll PRIVATE kernel32)

set(E2E_SOURCE ${CMAKE_SOURCE_DIR}/tests/e2e)
set(E2E_STATE ${CMAKE_BINARY_DIR}/e2e)
set(E2E_DISPLAY_STATE ${E2E_STATE}/xvfb.state)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(E2E_BITS 64)
  set(E2E_PREFIX_KINDS win64)
else()
  set(E2E_BITS 32)
  set(E2E_PREFIX_KINDS win32 win64)
endif()

add_test(NAME e2e.setup.display
  COMMAND bash ${E2E_SOURCE}/fixture.sh display-start ${E2E_DISPLAY_STATE} ${E2E_BITS})
add_test(NAME e2e.cleanup.display
  COMMAND bash ${E2E_SOURCE}/fixture.sh display-stop ${E2E_DISPLAY_STATE})
set_tests_properties(e2e.setup.display PROPERTIES
  FIXTURES_SETUP e2e_display LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 60)
set_tests_properties(e2e.cleanup.display PROPERTIES
  FIXTURES_CLEANUP e2e_display LABELS e2e TIMEOUT 60)

# The scenario table: NAME ANSWERS SETUP [ARGUMENTS...] per line, # for
# comments; SETUP names tests/e2e/setup/SETUP.txt, or is - for none.
file(STRINGS ${E2E_SOURCE}/scenarios.txt E2E_SCENARIO_LINES ENCODING UTF-8)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${E2E_SOURCE}/scenarios.txt)

foreach(kind IN LISTS E2E_PREFIX_KINDS)
  set(template ${E2E_STATE}/prefix-${kind})
  add_test(NAME e2e.setup.${kind}_prefix
    COMMAND bash ${E2E_SOURCE}/fixture.sh prefix ${kind} ${template} ${E2E_BITS} $<TARGET_FILE:e2e_fixture_tool>)
  set_tests_properties(e2e.setup.${kind}_prefix PROPERTIES
    FIXTURES_SETUP e2e_prefix_${kind} LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 600)

  foreach(line IN LISTS E2E_SCENARIO_LINES)
    if(line MATCHES "^[ \t]*(#|$)")
      continue()
    endif()
    separate_arguments(words UNIX_COMMAND "${line}")
    list(POP_FRONT words name answers setup)
    set(setup_option)
    if(NOT setup STREQUAL "-")
      set(setup_option --setup ${E2E_SOURCE}/setup/${setup}.txt)
    endif()
    set(test_name e2e.${kind}_prefix.${name})
    add_test(NAME ${test_name}
      COMMAND bash ${E2E_SOURCE}/run_scenario.sh
              --program $<TARGET_FILE:Uninstall_Oskaldrv>
              --robot $<TARGET_FILE:e2e_robot>
              --tool $<TARGET_FILE:e2e_fixture_tool>
              --planted-dll $<TARGET_FILE:e2e_planted_dll>
              --bits ${E2E_BITS} --prefix-kind ${kind} --template ${template}
              --expected ${E2E_SOURCE}/expected/${name}.txt
              --work ${E2E_STATE}/runs/${kind}.${name}
              --answers ${answers}
              ${setup_option}
              --display-state ${E2E_DISPLAY_STATE}
              -- ${words})
    set_tests_properties(${test_name} PROPERTIES
      FIXTURES_REQUIRED "e2e_display;e2e_prefix_${kind}"
      LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
  endforeach()

  # The status window with and without the manifest, at 96 and 120 dpi.
  add_test(NAME e2e.${kind}_prefix.status_window_geometry
    COMMAND bash ${E2E_SOURCE}/status_window_geometry.sh
            --program $<TARGET_FILE:Uninstall_Oskaldrv>
            --no-manifest $<TARGET_FILE:Uninstall_Oskaldrv_no_manifest>
            --robot $<TARGET_FILE:e2e_robot>
            --tool $<TARGET_FILE:e2e_fixture_tool>
            --bits ${E2E_BITS} --prefix-kind ${kind} --template ${template}
            --work ${E2E_STATE}/runs/${kind}.status_window_geometry
            --display-state ${E2E_DISPLAY_STATE})
  set_tests_properties(e2e.${kind}_prefix.status_window_geometry PROPERTIES
    FIXTURES_REQUIRED "e2e_display;e2e_prefix_${kind}"
    LABELS e2e SKIP_RETURN_CODE 77 TIMEOUT 300)
endforeach()
