# The Wine environments of the tests, each one prefix, one display and one
# wineserver for the whole run, kept inside the build tree:
#   wine   Debian 12's wine64: the Windows-side unit tests and the 64-bit
#          build's end-to-end tests (fixture "wine");
#   wow64  Debian 13's Wine 10 in WoW64 mode, in a cached tree of its own:
#          the shipped 32-bit launcher's end-to-end tests (fixture "wow64").

# setupmenu_wine_environment(<name> <state dir> [WOW64]): the fixture tests
# <name>.start and <name>.stop, and SETUPMENU_<NAME>_RUN, a wrapper that runs
# a Windows program in that environment.
function(setupmenu_wine_environment name state)
  cmake_parse_arguments(ENV "WOW64" "" "" ${ARGN})
  set(SETUPMENU_WINE_STATE_DIR ${state})
  set(start_options)
  if(ENV_WOW64)
    set(SETUPMENU_WINE_KIND "WoW64 (Wine 10)")
    list(APPEND start_options --wow64)
  else()
    set(SETUPMENU_WINE_KIND "wine64")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/tests/wine/wine-run.sh.in ${state}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  string(TOUPPER ${name} upper)
  set(SETUPMENU_${upper}_RUN ${state}/wine-run.sh PARENT_SCOPE)
  set(SETUPMENU_${upper}_STATE ${state} PARENT_SCOPE)
  # The probe holds a hidden window for the whole run (see wine-env.sh).
  add_test(NAME ${name}.start COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/wine-env.sh start ${state} ${start_options}
                                      --keeper $<TARGET_FILE:probe>)
  add_test(NAME ${name}.stop COMMAND ${PROJECT_SOURCE_DIR}/tests/wine/wine-env.sh stop ${state})
  # Building the WoW64 tree the first time downloads about 330 MB.
  set_tests_properties(${name}.start PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 1200)
  set_tests_properties(${name}.stop PROPERTIES FIXTURES_CLEANUP ${name})
endfunction()

setupmenu_wine_environment(wine ${PROJECT_BINARY_DIR}/wine)
setupmenu_wine_environment(wow64 ${PROJECT_BINARY_DIR}/wine-wow64 WOW64)
# Every Windows test executable created after this point runs under wine64.
set(CMAKE_CROSSCOMPILING_EMULATOR ${SETUPMENU_WINE_RUN})

# setupmenu_wine_test(<test> [ENVIRONMENT wine|wow64]): the test needs that
# environment (default: wine). Tests of both run one at a time: they share
# the pointer, the keyboard focus and two cores.
function(setupmenu_wine_test name)
  cmake_parse_arguments(WT "" "ENVIRONMENT" "" ${ARGN})
  if(NOT WT_ENVIRONMENT)
    set(WT_ENVIRONMENT wine)
  endif()
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED ${WT_ENVIRONMENT} RESOURCE_LOCK wine)
endfunction()
