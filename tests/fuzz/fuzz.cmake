# libFuzzer targets of the platform-free code (clang only). Each target checks
# properties of one piece that takes outside input. CTest runs each one for a
# bounded number of executions, starting from its seed corpus; for longer runs
# use scripts/fuzz-long.sh.
set(SETUPMENU_FUZZ_TARGETS
  command_tail
  config_path
  compose_path
  parse_numbers
  button_text
  log_line
  layout_math
  bitmap_check
  conditions
  text_encoding
)
set(SETUPMENU_FUZZ_RUNS 30000 CACHE STRING "Executions of each fuzz target in its CTest test")
set(SETUPMENU_FUZZ_SEED 1 CACHE STRING "libFuzzer seed of the CTest runs (0: a new one each run)")

# The portable code once more, with coverage feedback for the fuzzer.
set(SETUPMENU_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer -g)
add_library(setupmenu_portable_fuzz STATIC ${SETUPMENU_PORTABLE_SOURCES})
target_include_directories(setupmenu_portable_fuzz PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(setupmenu_portable_fuzz PRIVATE -Wall -Wextra -Werror PUBLIC ${SETUPMENU_FUZZ_FLAGS})

foreach(target IN LISTS SETUPMENU_FUZZ_TARGETS)
  add_executable(fuzz_${target} ${PROJECT_SOURCE_DIR}/tests/fuzz/${target}_fuzz.cpp)
  target_compile_options(fuzz_${target} PRIVATE -Wall -Wextra -Werror)
  target_link_libraries(fuzz_${target} PRIVATE setupmenu_portable_fuzz)
  target_link_options(fuzz_${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  set_target_properties(fuzz_${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)

  add_test(NAME fuzz.${target}
    COMMAND ${CMAKE_COMMAND}
      -DFUZZER=$<TARGET_FILE:fuzz_${target}>
      -DSEEDS=${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${target}
      -DWORK=${PROJECT_BINARY_DIR}/fuzz/work/${target}
      -DRUNS=${SETUPMENU_FUZZ_RUNS}
      -DSEED=${SETUPMENU_FUZZ_SEED}
      -P ${PROJECT_SOURCE_DIR}/tests/fuzz/run_fuzzer.cmake)
  set_tests_properties(fuzz.${target} PROPERTIES TIMEOUT 120 LABELS fuzz)
endforeach()
