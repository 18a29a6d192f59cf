# End-to-end tests: the real launcher under Wine on the test run's Xvfb
# display, observed and driven from outside by a small Win32 probe, xdotool
# and screenshots. Each tests/e2e/test_*.py is one unittest module, run once
# per build of the launcher:
#   e2e.exe32.<name>  the shipped 32-bit launcher, in the WoW64 environment;
#   e2e.exe64.<name>  the 64-bit build of the same sources, under wine64.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

include(${PROJECT_SOURCE_DIR}/tests/e2e/helpers.cmake)

# The probe reads and drives other programs' windows from inside the prefix;
# the 64-bit probe serves both environments.
add_executable(probe ${PROJECT_SOURCE_DIR}/tests/e2e/probe.cpp)
target_compile_options(probe PRIVATE -Wall -Wextra)
target_link_options(probe PRIVATE -static -static-libgcc -static-libstdc++)
set_target_properties(probe PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_E2E_DIR})
target_link_libraries(probe PRIVATE psapi oleacc oleaut32 ole32)

# The builds under test: bits, launcher, helper folder, Wine environment.
set(SETUPMENU_E2E_BUILDS 64)
set(SETUPMENU_E2E_64_LAUNCHER ${SETUPMENU_EXE64})
set(SETUPMENU_E2E_64_CHECKER $<TARGET_FILE:SetupMenuCheck>)
set(SETUPMENU_E2E_64_HELPERS ${SETUPMENU_E2E_DIR})
set(SETUPMENU_E2E_64_ENV wine)
if(SETUPMENU_EXE32)
  list(PREPEND SETUPMENU_E2E_BUILDS 32)
  set(SETUPMENU_E2E_32_LAUNCHER ${SETUPMENU_EXE32})
  set(SETUPMENU_E2E_32_CHECKER ${SETUPMENU_WIN32_DIR}/bin/SetupMenuCheck.exe)
  set(SETUPMENU_E2E_32_HELPERS ${SETUPMENU_WIN32_DIR}/e2e)
  set(SETUPMENU_E2E_32_ENV wow64)
endif()

# setupmenu_e2e_test(<file> [TIMEOUT seconds] [BUILDS 32 64] [NAME name]):
# registers tests/e2e/<file> as e2e.exe<bits>.<name> for each build, <name>
# being the file name without "test_" and ".py" unless given. The harness
# finds the launcher, the probe, the helpers (helpers.cmake, of the build's
# bitness) and the Wine environment through the environment; a run whose
# environment this machine cannot provide reports itself skipped (77).
function(setupmenu_e2e_test file)
  cmake_parse_arguments(E2E "" "TIMEOUT;NAME" "BUILDS" ${ARGN})
  if(NOT E2E_TIMEOUT)
    set(E2E_TIMEOUT 300)
  endif()
  if(NOT E2E_BUILDS)
    set(E2E_BUILDS ${SETUPMENU_E2E_BUILDS})
  endif()
  string(REGEX REPLACE "^test_(.*)\\.py$" "\\1" name ${file})
  if(E2E_NAME)
    set(name ${E2E_NAME})
  endif()
  foreach(bits ${E2E_BUILDS})
    if(NOT bits IN_LIST SETUPMENU_E2E_BUILDS)
      continue()
    endif()
    set(test e2e.exe${bits}.${name})
    set(env ${SETUPMENU_E2E_${bits}_ENV})
    string(TOUPPER ${env} env_upper)
    add_test(NAME ${test}
      COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/e2e/${file} -v
      WORKING_DIRECTORY ${SETUPMENU_E2E_DIR})
    set_tests_properties(${test} PROPERTIES
      TIMEOUT ${E2E_TIMEOUT}
      SKIP_RETURN_CODE 77
      ENVIRONMENT "SETUPMENU_E2E_BITS=${bits};SETUPMENU_E2E_LAUNCHER=${SETUPMENU_E2E_${bits}_LAUNCHER};SETUPMENU_E2E_CHECKER=${SETUPMENU_E2E_${bits}_CHECKER};SETUPMENU_E2E_PROBE=$<TARGET_FILE:probe>;SETUPMENU_E2E_CHILD=${SETUPMENU_E2E_${bits}_HELPERS}/child.exe;SETUPMENU_E2E_PLANTED_DLL=${SETUPMENU_E2E_${bits}_HELPERS}/planted/uxtheme.dll;SETUPMENU_E2E_UNLOCKED_LAUNCHER=${SETUPMENU_E2E_${bits}_HELPERS}/SetupMenuUnlocked.exe;SETUPMENU_WINE_RUN=${SETUPMENU_${env_upper}_RUN};SETUPMENU_WINE_STATE=${SETUPMENU_${env_upper}_STATE};SETUPMENU_E2E_WORK=${SETUPMENU_E2E_DIR}/work${bits};PYTHONDONTWRITEBYTECODE=1")
    setupmenu_wine_test(${test} ENVIRONMENT ${env})
  endforeach()
endfunction()

# A hang shows as a launcher that does not show its menu in the usual time,
# so tests that start it only a few times get a limit well below the default:
# layout and hover (about 10 to 15 s), hostile media and the processes it
# starts (both also fail at once on a Wine crash dialog).
set(SETUPMENU_E2E_TIMEOUTS layout=120 hover=120 hostile_media=240 no_surprise_processes=240)

file(GLOB SETUPMENU_E2E_TESTS RELATIVE ${PROJECT_SOURCE_DIR}/tests/e2e CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/tests/e2e/test_*.py)
list(SORT SETUPMENU_E2E_TESTS)
foreach(file ${SETUPMENU_E2E_TESTS})
  string(REGEX REPLACE "^test_(.*)\\.py$" "\\1" name ${file})
  set(timeout)
  foreach(entry ${SETUPMENU_E2E_TIMEOUTS})
    if(entry MATCHES "^${name}=([0-9]+)$")
      set(timeout TIMEOUT ${CMAKE_MATCH_1})
    endif()
  endforeach()
  setupmenu_e2e_test(${file} ${timeout})
endforeach()
# Resource stability (test_resource_stability.py): about 70 s of hovers and
# launches, labelled so that a quick run can leave it out (ctest -LE stability).
foreach(bits ${SETUPMENU_E2E_BUILDS})
  if(TEST e2e.exe${bits}.resource_stability)
    set_tests_properties(e2e.exe${bits}.resource_stability PROPERTIES LABELS "e2e;stability")
  endif()
endforeach()
