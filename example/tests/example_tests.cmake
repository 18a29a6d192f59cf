# Tests of the example media, the preview command and the release bundle.
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
  SETUPMENU_WINE_STATE=${SETUPMENU_WOW64_STATE}
  SETUPMENU_WIN32_BUILD=${example_win32_build}
  SETUPMENU_TEST_WORK=${SETUPMENU_EXAMPLE_TEST_WORK}
  PYTHONDONTWRITEBYTECODE=1)

# The example configuration against the loaders and the reference (no Wine).
add_test(NAME example.configuration
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_example_config.py -v)
set_tests_properties(example.configuration PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 60)

foreach(name preview release)
  add_test(NAME example.${name}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/example/tests/test_${name}.py -v
    WORKING_DIRECTORY ${SETUPMENU_EXAMPLE_TEST_WORK})
  set_tests_properties(example.${name} PROPERTIES ENVIRONMENT "${example_test_env}" TIMEOUT 300
                                                  SKIP_RETURN_CODE 77)
  setupmenu_wine_test(example.${name} ENVIRONMENT wow64)
endforeach()
