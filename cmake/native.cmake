# Native build of the platform-free code: unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and libFuzzer targets when the compiler is clang.
option(SETUPMENU_SANITIZE "Build the native tests with ASan and UBSan" ON)

add_library(setupmenu_portable STATIC ${SETUPMENU_PORTABLE_SOURCES})
target_include_directories(setupmenu_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(setupmenu_portable PRIVATE -Wall -Wextra -Werror)
if(SETUPMENU_SANITIZE)
  set(SETUPMENU_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_compile_options(setupmenu_portable PUBLIC ${SETUPMENU_SANITIZER_FLAGS})
  target_link_options(setupmenu_portable PUBLIC ${SETUPMENU_SANITIZER_FLAGS})
endif()

enable_testing()
include(${PROJECT_SOURCE_DIR}/tests/native/native.cmake)
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND EXISTS ${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
  include(${PROJECT_SOURCE_DIR}/tests/fuzz/fuzz.cmake)
endif()
