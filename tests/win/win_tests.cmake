# Windows-side unit tests: programs that call the launcher's own procedures
# on real files with real Win32 calls, run under wine64 through the emulator.
# Each links the launcher's code (setupmenu_core) with a counting heap in
# place of the product heap, so texts can be followed from allocation to release.

add_library(setupmenu_win_test_support OBJECT
  ${PROJECT_SOURCE_DIR}/tests/win/test_support.cpp
  ${PROJECT_SOURCE_DIR}/tests/win/counting_heap.cpp)
target_link_libraries(setupmenu_win_test_support PUBLIC setupmenu_core)

set(SETUPMENU_WIN_TEST_OPTIONS -Wall -Wextra)
if(SETUPMENU_WERROR)
  list(APPEND SETUPMENU_WIN_TEST_OPTIONS -Werror)
endif()
target_compile_options(setupmenu_win_test_support PRIVATE ${SETUPMENU_WIN_TEST_OPTIONS})

# win.<group>: tests/win/<group>_test.cpp
foreach(group profile locate loaders teardown debug_log hover)
  set(target win_${group}_test)
  add_executable(${target} ${PROJECT_SOURCE_DIR}/tests/win/${group}_test.cpp)
  target_compile_options(${target} PRIVATE ${SETUPMENU_WIN_TEST_OPTIONS})
  # Static runtime: the programs also run as copies far from the build tree.
  target_link_options(${target} PRIVATE -static)
  target_link_libraries(${target} PRIVATE setupmenu_win_test_support setupmenu_core)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests/win)
  add_test(NAME win.${group} COMMAND ${target})
  set_tests_properties(win.${group} PROPERTIES TIMEOUT 120)
  setupmenu_wine_test(win.${group})
endforeach()
