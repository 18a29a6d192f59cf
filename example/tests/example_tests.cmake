# Tests of the example media, the preview command, the release bundle, the
# signing and disc image scripts, and of builds that give the same bytes twice.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(SETUPMENU_EXAMPLE_TEST_WORK ${PROJECT_BINARY_DIR}/example-tests)
file(MAKE_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
if(SETUPMENU_SUPERBUILD)
  set(example_win32_build ${SETUPMENU_WIN32_DIR})
else()
  # Without the superbuild the release script builds a 32-bit tree of its own here.
  set(example_win32_build ${PROJECT_BINARY_DIR}/release-win32)
endif()
if(TARGET probe)
  set(example_probe $<TARGET_FILE:probe>)
else()
  set(example_probe "")
endif()

# The shipped 32-bit launcher runs in the WoW64 environment (tests/wine).
set(example_test_env
  SETUPMENU_SOURCE=${PROJECT_SOURCE_DIR}
  SETUPMENU_EXAMPLE_MEDIA=${SETUPMENU_EXAMPLE_MEDIA}
  SETUPMENU_LAUNCHER64=$<TARGET_FILE:SetupMenu>
  SETUPMENU_LAUNCHER32=${example_win32_build}/bin/SetupMenu.exe
  SETUPMENU_PROBE=${example_probe}
  SETUPMENU_WIN32_BUILD=${example_win32_build}
  SETUPMENU_TEST_WORK=${SETUPMENU_EXAMPLE_TEST_WORK}
  SETUPMENU_CHECKER64=$<TARGET_FILE:SetupMenuCheck>
  SETUPMENU_SIGNED=${PROJECT_BINARY_DIR}/signed
  PYTHONDONTWRITEBYTECODE=1)

# The example configuration against the loaders and the reference (no Wine).
add_test(NAME example.configuration
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_example_config.py -v)
set_tests_properties(example.configuration PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 60)

# The preview and the unpacked release run the shipped 32-bit launcher in the
# WoW64 environment; make-disc.sh runs the 64-bit checker under wine64.
foreach(entry preview:wow64 release:wow64 make_disc:wine)
  string(REPLACE ":" ";" entry ${entry})
  list(GET entry 0 name)
  list(GET entry 1 env)
  string(TOUPPER ${env} env_upper)
  add_test(NAME example.${name}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_${name}.py -v
    WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
  set_tests_properties(example.${name} PROPERTIES
    ENVIRONMENT "${example_test_env};SETUPMENU_WINE_STATE=${SETUPMENU_${env_upper}_STATE}" TIMEOUT 300
    SKIP_RETURN_CODE 77)
  setupmenu_wine_test(example.${name} ENVIRONMENT ${env})
endforeach()
# The preview's checker step runs with the 64-bit build under wine64 as well.
set_property(TEST example.preview APPEND PROPERTY FIXTURES_REQUIRED wine)
set_property(TEST example.preview APPEND PROPERTY ENVIRONMENT SETUPMENU_WINE64_STATE=${SETUPMENU_WINE_STATE})

# Signing: leaves the signed programs in <build>/signed/win32 and win64.
add_test(NAME example.sign
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_sign.py -v
  WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
set_tests_properties(example.sign PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 120
  FIXTURES_SETUP signed_programs)
if(NOT SETUPMENU_SUPERBUILD)
  # The release test builds the 32-bit tree that is signed here.
  set_tests_properties(example.sign PROPERTIES DEPENDS example.release)
endif()

# The start-up tests again, on the signed 32-bit launcher.
if(COMMAND setupmenu_e2e_test AND SETUPMENU_SUPERBUILD)
  block()
    set(SETUPMENU_E2E_32_LAUNCHER ${PROJECT_BINARY_DIR}/signed/win32/SetupMenu.exe)
    setupmenu_e2e_test(test_startup.py BUILDS 32 NAME startup_signed)
  endblock()
  set_property(TEST e2e.exe32.startup_signed APPEND PROPERTY FIXTURES_REQUIRED signed_programs)
endif()

# Two release builds in other folders: the same programs, zip and disc image.
add_test(NAME example.reproducible
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_reproducible.py -v
  WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
set_tests_properties(example.reproducible PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 900)
setupmenu_wine_test(example.reproducible)
