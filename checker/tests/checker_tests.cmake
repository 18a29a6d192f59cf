# Tests of the configuration checker and of the launcher's start of installers
# that need administrator rights:
#   checker.native.*   the checker's platform-free code, natively (GoogleTest)
#   checker.media.*    the checker under wine64 on media folders, one per kind of finding
#   checker.example_media  the example media comes out clean
#   wine.elevation.*   LaunchButtonCommand's fallback to the shell's "runas" start
find_package(Python3 REQUIRED COMPONENTS Interpreter)
include(ExternalProject)

# Native unit tests: a tree of their own, built with the host compiler; its
# test list joins this one.
set(SETUPMENU_CHECKER_NATIVE_DIR ${PROJECT_BINARY_DIR}/checker-native)
ExternalProject_Add(checker_native_tree
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/checker/tests/native
  BINARY_DIR ${SETUPMENU_CHECKER_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${SETUPMENU_CHECKER_NATIVE_DIR}/CTestTestfile.cmake)

# The checker on media folders written by media_test.py, which names its cases.
set(checker_media_script ${PROJECT_SOURCE_DIR}/checker/tests/media_test.py)
execute_process(
  COMMAND ${Python3_EXECUTABLE} ${checker_media_script} --list
  OUTPUT_VARIABLE checker_media_cases
  OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${checker_media_script})
string(REPLACE "\n" ";" checker_media_cases "${checker_media_cases}")
set(checker_media_environment
  SETUPMENU_WINE_RUN=${SETUPMENU_WINE_RUN}
  SETUPMENU_CHECKER=$<TARGET_FILE:SetupMenuCheck>
  SETUPMENU_CHECKER_WORK=${PROJECT_BINARY_DIR}/checker-media)
foreach(case ${checker_media_cases})
  add_test(NAME checker.media.${case} COMMAND ${Python3_EXECUTABLE} ${checker_media_script} ${case})
  set_tests_properties(checker.media.${case} PROPERTIES TIMEOUT 120 ENVIRONMENT "${checker_media_environment}")
  setupmenu_wine_test(checker.media.${case})
endforeach()

# The example media, assembled by example/example.cmake, must come out clean.
if(TARGET example_media AND DEFINED SETUPMENU_EXAMPLE_MEDIA)
  add_test(NAME checker.example_media
    COMMAND ${Python3_EXECUTABLE} ${checker_media_script} --example ${SETUPMENU_EXAMPLE_MEDIA})
  set_tests_properties(checker.example_media PROPERTIES TIMEOUT 120 ENVIRONMENT "${checker_media_environment}")
  setupmenu_wine_test(checker.example_media)
endif()

# The launcher's start of an installer that needs administrator rights: the
# launcher's own LaunchButtonCommand with recorders in place of the system
# calls, and two stand-in installers, one whose manifest asks for those rights.
set(SETUPMENU_ELEVATION_DIR ${PROJECT_BINARY_DIR}/checker-elevation)
set(elevation_options -Wall -Wextra)
if(SETUPMENU_WERROR)
  list(APPEND elevation_options -Werror)
endif()
add_executable(launch_elevation_test ${PROJECT_SOURCE_DIR}/checker/tests/elevation/launch_elevation_test.cpp)
target_link_libraries(launch_elevation_test PRIVATE setupmenu_core setupmenu_heap)
add_executable(elevation_child WIN32 ${PROJECT_SOURCE_DIR}/checker/tests/elevation/elevation_child.cpp)
add_executable(elevation_child_admin WIN32
  ${PROJECT_SOURCE_DIR}/checker/tests/elevation/elevation_child.cpp
  ${PROJECT_SOURCE_DIR}/checker/tests/elevation/require_admin.rc)
foreach(target launch_elevation_test elevation_child elevation_child_admin)
  target_compile_options(${target} PRIVATE ${elevation_options})
  target_link_options(${target} PRIVATE -static)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${SETUPMENU_ELEVATION_DIR})
endforeach()
add_dependencies(launch_elevation_test elevation_child elevation_child_admin)
foreach(scenario consent_given consent_declined other_failures before_the_start consent_with_arguments
                 shell_starts_installer
                 shell_cannot_start real_starts)
  add_test(NAME wine.elevation.${scenario} COMMAND launch_elevation_test ${scenario})
  set_tests_properties(wine.elevation.${scenario} PROPERTIES TIMEOUT 120)
  setupmenu_wine_test(wine.elevation.${scenario})
endforeach()
