# Windows builds (MinGW-w64): the launcher, and on 64-bit the Windows-side tests.
enable_language(RC)
option(SETUPMENU_WERROR "Treat compiler warnings as errors" ON)
option(SETUPMENU_TESTS "Build the Windows-side tests (64-bit build)" ON)
option(SETUPMENU_SUPERBUILD "Also build the native and 32-bit trees and run all tests from here" ON)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(SETUPMENU_BITS 32)
else()
  set(SETUPMENU_BITS 64)
endif()

# Small and self-contained: no exceptions, no RTTI, no C++ runtime DLLs.
set(SETUPMENU_PRODUCT_COMPILE_OPTIONS
  -Oz -Wall -Wextra -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
  -ffunction-sections -fomit-frame-pointer)
if(SETUPMENU_WERROR)
  list(APPEND SETUPMENU_PRODUCT_COMPILE_OPTIONS -Werror)
endif()
# Reproducible: the same sources give the same bytes whatever the folders and
# the time of the build (no link time stamp in the PE header, no build paths).
list(APPEND SETUPMENU_PRODUCT_COMPILE_OPTIONS
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}=. -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)
# Windows guarantees a 32-bit program's stack only 4-byte alignment, and the
# launcher keeps nothing on it that needs more: no code to realign it.
#
# Windows grows a thread's stack through one guard page below it, so a
# function whose frame is larger than a page must touch the pages in order
# (stack probing, __chkstk). GCC's 32-bit Windows target probes and, to
# probe correctly, stores every call's arguments with a mov of up to 8
# bytes instead of a push of 1 to 5: about a sixth of the launcher's code.
# A frame under a page needs no probe (the call below it touches the next
# page first), so the launcher is built without probes and with pushed
# arguments, and -Wframe-larger-than stops the build when a frame grows
# near a page: long texts live in the state record or in static buffers.
# (No argument near a page in size is passed by value either.)
# The companions (checker, example installers) keep the compiler's default.
set(SETUPMENU_LAUNCHER_COMPILE_OPTIONS ${SETUPMENU_PRODUCT_COMPILE_OPTIONS})
if(SETUPMENU_BITS EQUAL 32)
  list(APPEND SETUPMENU_PRODUCT_COMPILE_OPTIONS -mpreferred-stack-boundary=2)
  list(APPEND SETUPMENU_LAUNCHER_COMPILE_OPTIONS -mpreferred-stack-boundary=2
    -mno-stack-arg-probe -mno-accumulate-outgoing-args -Wframe-larger-than=3072)
endif()
set(SETUPMENU_PRODUCT_LINK_OPTIONS -static-libgcc -static-libstdc++ -Wl,--gc-sections
  -Wl,--no-insert-timestamp $<$<CONFIG:MinSizeRel>:-s>)

add_library(setupmenu_core STATIC ${SETUPMENU_PORTABLE_SOURCES} ${SETUPMENU_WIN32_SOURCES})
target_include_directories(setupmenu_core PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_definitions(setupmenu_core PUBLIC WIN32_LEAN_AND_MEAN NOMINMAX)
target_compile_options(setupmenu_core PRIVATE ${SETUPMENU_LAUNCHER_COMPILE_OPTIONS})

# The product's heap; the tests link a counting heap in its place.
add_library(setupmenu_heap STATIC config/heap_text.cpp)
target_include_directories(setupmenu_heap PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(setupmenu_heap PRIVATE ${SETUPMENU_LAUNCHER_COMPILE_OPTIONS})

set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${PROJECT_SOURCE_DIR} -I${PROJECT_BINARY_DIR}")
add_executable(SetupMenu WIN32 startup/entry.cpp startup/win_main.cpp resources/setupmenu.rc)
target_compile_options(SetupMenu PRIVATE ${SETUPMENU_LAUNCHER_COMPILE_OPTIONS})
# Without the C runtime's start-up code: see startup/entry.cpp. The 32-bit
# symbol carries the leading underscore of its C name.
if(SETUPMENU_BITS EQUAL 32)
  set(SETUPMENU_ENTRY_SYMBOL _SetupMenuEntry)
else()
  set(SETUPMENU_ENTRY_SYMBOL SetupMenuEntry)
endif()
target_link_options(SetupMenu PRIVATE ${SETUPMENU_PRODUCT_LINK_OPTIONS} -nostartfiles -Wl,-e,${SETUPMENU_ENTRY_SYMBOL})
# The shipped launcher's section layout: see the script.
if(SETUPMENU_BITS EQUAL 32)
  target_link_options(SetupMenu PRIVATE -Wl,-T,${PROJECT_SOURCE_DIR}/cmake/product-i686.ld)
  set_property(TARGET SetupMenu APPEND PROPERTY LINK_DEPENDS ${PROJECT_SOURCE_DIR}/cmake/product-i686.ld)
endif()
target_link_libraries(SetupMenu PRIVATE setupmenu_core setupmenu_heap)
set_target_properties(SetupMenu PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)

if(EXISTS ${PROJECT_SOURCE_DIR}/resources/resources.cmake)
  include(${PROJECT_SOURCE_DIR}/resources/resources.cmake)
endif()

# Companions of the launcher: the configuration checker and the example media.
foreach(companion checker/checker.cmake example/example.cmake)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${companion})
    include(${PROJECT_SOURCE_DIR}/${companion})
  endif()
endforeach()

option(SETUPMENU_E2E_HELPERS "Build the end-to-end tests' stand-in programs (32-bit tree)" OFF)
if(SETUPMENU_E2E_HELPERS AND NOT (SETUPMENU_BITS EQUAL 64 AND SETUPMENU_TESTS))
  include(${PROJECT_SOURCE_DIR}/tests/e2e/helpers.cmake)
endif()

if(SETUPMENU_BITS EQUAL 64 AND SETUPMENU_TESTS)
  enable_testing()
  include(${PROJECT_SOURCE_DIR}/tests/tests.cmake)
endif()
