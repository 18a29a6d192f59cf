# End-to-end tests: the real launcher under wine64 on the test run's Xvfb
# display, observed and driven from outside by a small Win32 probe, xdotool
# and screenshots. Each tests/e2e/test_*.py is one CTest test.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(SETUPMENU_E2E_DIR ${PROJECT_BINARY_DIR}/e2e)

# The probe reads and drives other programs' windows from inside the prefix.
add_executable(probe ${PROJECT_SOURCE_DIR}/tests/e2e/probe.cpp)
# The child stands in for an installer and records how it was started.
add_executable(e2e_child ${PROJECT_SOURCE_DIR}/tests/e2e/child.cpp)
foreach(tool probe e2e_child)
  target_compile_options(${tool} PRIVATE -Wall -Wextra)
  target_link_options(${tool} PRIVATE -static -static-libgcc -static-libstdc++)
  set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR})
endforeach()
set_target_properties(e2e_child PROPERTIES OUTPUT_NAME child)
target_link_libraries(probe PRIVATE psapi)

# A planted library for the DLL search test: a uxtheme.dll that leaves a
# marker beside itself in every process that loads it. It sits in a folder of
# its own, so that it is never beside a program that the tests run.
add_library(e2e_planted_uxtheme SHARED ${PROJECT_SOURCE_DIR}/tests/e2e/fake_uxtheme.cpp)
target_compile_options(e2e_planted_uxtheme PRIVATE -Wall -Wextra)
target_link_options(e2e_planted_uxtheme PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(e2e_planted_uxtheme PROPERTIES OUTPUT_NAME uxtheme PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR}/planted)
# The launcher built exactly as the product but for its entry, which does not
# lock the DLL search: the test's evidence that the planted library is loaded
# when nothing stops it.
add_executable(e2e_unlocked_launcher WIN32 ${PROJECT_SOURCE_DIR}/tests/e2e/unlocked_entry.cpp
  ${PROJECT_SOURCE_DIR}/startup/win_main.cpp ${PROJECT_SOURCE_DIR}/resources/setupmenu.rc)
target_compile_options(e2e_unlocked_launcher PRIVATE ${SETUPMENU_PRODUCT_COMPILE_OPTIONS})
target_link_options(e2e_unlocked_launcher PRIVATE ${SETUPMENU_PRODUCT_LINK_OPTIONS} -nostartfiles
  -Wl,-e,${SETUPMENU_ENTRY_SYMBOL})
target_link_libraries(e2e_unlocked_launcher PRIVATE setupmenu_core setupmenu_heap)
add_dependencies(e2e_unlocked_launcher setupmenu_art)
set_target_properties(e2e_unlocked_launcher PROPERTIES OUTPUT_NAME SetupMenuUnlocked
  RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR})

# What the harness finds through the environment. The programs under test
# are named one by one, so that a run can point them at other builds.
set(SETUPMENU_E2E_ENVIRONMENT
  SETUPMENU_E2E_LAUNCHER=${SETUPMENU_EXE64}
  SETUPMENU_E2E_PROBE=$<TARGET_FILE:probe>
  SETUPMENU_E2E_CHILD=$<TARGET_FILE:e2e_child>
  SETUPMENU_E2E_PLANTED_DLL=$<TARGET_FILE:e2e_planted_uxtheme>
  SETUPMENU_E2E_UNLOCKED_LAUNCHER=$<TARGET_FILE:e2e_unlocked_launcher>
  SETUPMENU_WINE_RUN=${SETUPMENU_WINE_RUN}
  SETUPMENU_WINE_STATE=${SETUPMENU_WINE_STATE}
  SETUPMENU_E2E_WORK=${SETUPMENU_E2E_DIR}/work)

# setupmenu_e2e_test(<file> [TIMEOUT seconds]): registers tests/e2e/<file>
# (a unittest module) as the CTest test e2e.<name>, <name> being the file
# name without "test_" and ".py". The harness finds the launcher, the probe,
# the child program and the Wine environment through the environment
# (SETUPMENU_E2E_ENVIRONMENT above).
function(setupmenu_e2e_test file)
  cmake_parse_arguments(E2E "" "TIMEOUT" "" ${ARGN})
  if(NOT E2E_TIMEOUT)
    set(E2E_TIMEOUT 300)
  endif()
  string(REGEX REPLACE "^test_(.*)\\.py$" "\\1" name ${file})
  add_test(NAME e2e.${name}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/e2e/${file} -v
    WORKING_DIRECTORY ${SETUPMENU_E2E_DIR})
  set_tests_properties(e2e.${name} PROPERTIES
    TIMEOUT ${E2E_TIMEOUT}
    ENVIRONMENT "${SETUPMENU_E2E_ENVIRONMENT}")
  setupmenu_wine_test(e2e.${name})
endfunction()

file(GLOB SETUPMENU_E2E_TESTS RELATIVE ${PROJECT_SOURCE_DIR}/tests/e2e CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/tests/e2e/test_*.py)
list(SORT SETUPMENU_E2E_TESTS)
foreach(file ${SETUPMENU_E2E_TESTS})
  setupmenu_e2e_test(${file})
endforeach()
include(${PROJECT_SOURCE_DIR}/tests/e2e/layout_hover_tests.cmake)
include(${PROJECT_SOURCE_DIR}/tests/e2e/hostile_tests.cmake)
# Resource stability (test_resource_stability.py): about 70 s of hovers and
# launches, labelled so that a quick run can leave it out (ctest -LE stability).
if(TEST e2e.resource_stability)
  set_tests_properties(e2e.resource_stability PROPERTIES LABELS "e2e;stability")
endif()
