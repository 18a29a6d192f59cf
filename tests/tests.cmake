# Windows-side tests (64-bit build, run under wine64 through the emulator),
# end-to-end tests of both builds, and, in the superbuild, the native and
# 32-bit trees whose tests join this tree's CTest run.
include(${PROJECT_SOURCE_DIR}/tests/wine/wine.cmake)

set(SETUPMENU_EXE64 $<TARGET_FILE:SetupMenu>)

if(SETUPMENU_SUPERBUILD)
  include(ExternalProject)
  set(SETUPMENU_NATIVE_DIR ${PROJECT_BINARY_DIR}/native)
  set(SETUPMENU_WIN32_DIR ${PROJECT_BINARY_DIR}/win32)
  # Native: unit tests and fuzz targets, built with clang so libFuzzer is there.
  ExternalProject_Add(native_tree
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${SETUPMENU_NATIVE_DIR}
    CMAKE_ARGS -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  # The product as shipped: 32-bit, with the 32-bit stand-ins its end-to-end
  # tests put beside it, and no tests of its own.
  ExternalProject_Add(win32_tree
    SOURCE_DIR ${PROJECT_SOURCE_DIR}
    BINARY_DIR ${SETUPMENU_WIN32_DIR}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/toolchain-mingw-i686.cmake
               -DCMAKE_BUILD_TYPE=MinSizeRel -DSETUPMENU_TESTS=OFF -DSETUPMENU_E2E_HELPERS=ON
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
  set(SETUPMENU_EXE32 ${SETUPMENU_WIN32_DIR}/bin/SetupMenu.exe)
  set(SETUPMENU_CHECKER32 ${SETUPMENU_WIN32_DIR}/bin/SetupMenuCheck.exe)
  # The native tree's own test list becomes part of this one.
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${SETUPMENU_NATIVE_DIR}/CTestTestfile.cmake)
endif()

foreach(part resources/resources_tests win/win_tests e2e/e2e_tests ../checker/tests/checker_tests ../example/tests/example_tests)
  if(EXISTS ${PROJECT_SOURCE_DIR}/tests/${part}.cmake)
    include(${PROJECT_SOURCE_DIR}/tests/${part}.cmake)
  endif()
endforeach()
