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

set(example_test_env
  SETUPMENU_SOURCE=${PROJECT_SOURCE_DIR}
  SETUPMENU_EXAMPLE_MEDIA=${SETUPMENU_EXAMPLE_MEDIA}
  SETUPMENU_LAUNCHER64=$<TARGET_FILE:SetupMenu>
  SETUPMENU_PROBE=${example_probe}
  SETUPMENU_WINE_STATE=${SETUPMENU_WINE_STATE}
  SETUPMENU_WIN32_BUILD=${example_win32_build}
  SETUPMENU_TEST_WORK=${SETUPMENU_EXAMPLE_TEST_WORK}
  SETUPMENU_CHECKER64=$<TARGET_FILE:SetupMenuCheck>
  SETUPMENU_SIGNED=${PROJECT_BINARY_DIR}/signed
  PYTHONDONTWRITEBYTECODE=1)

# The example configuration against the loaders and the reference (no Wine).
add_test(NAME example.configuration
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_example_config.py -v)
set_tests_properties(example.configuration PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 60)

foreach(name preview release make_disc)
  add_test(NAME example.${name}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_${name}.py -v
    WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
  set_tests_properties(example.${name} PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 300)
  setupmenu_wine_test(example.${name})
endforeach()

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

# The start-up tests again, on the signed launcher (the 64-bit build, which
# runs here), registered as tests/e2e/e2e_tests.cmake registers its own.
if(TARGET probe AND TARGET e2e_child)
  add_test(NAME e2e.startup_signed
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tests/e2e/test_startup.py -v
    WORKING_DIRECTORY ${SETUPMENU_E2E_DIR})
  set_tests_properties(e2e.startup_signed PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "SETUPMENU_E2E_LAUNCHER=${PROJECT_BINARY_DIR}/signed/win64/SetupMenu.exe;SETUPMENU_E2E_PROBE=$<TARGET_FILE:probe>;SETUPMENU_E2E_CHILD=$<TARGET_FILE:e2e_child>;SETUPMENU_WINE_RUN=${SETUPMENU_WINE_RUN};SETUPMENU_WINE_STATE=${SETUPMENU_WINE_STATE};SETUPMENU_E2E_WORK=${SETUPMENU_E2E_DIR}/work")
  setupmenu_wine_test(e2e.startup_signed)
  set_property(TEST e2e.startup_signed APPEND PROPERTY FIXTURES_REQUIRED signed_programs)
endif()

# Two release builds in other folders: the same programs, zip and disc image.
add_test(NAME example.reproducible
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_reproducible.py -v
  WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
set_tests_properties(example.reproducible PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 900)
setupmenu_wine_test(example.reproducible)
