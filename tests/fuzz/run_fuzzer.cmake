# Runs one fuzz target for a bounded number of executions on a copy of its
# seed corpus, so the committed corpus never changes.
#   cmake -DFUZZER=<binary> -DSEEDS=<seed dir> -DWORK=<scratch dir> -DRUNS=<n> [-DSEED=<n>] -P run_fuzzer.cmake
foreach(var FUZZER SEEDS WORK RUNS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "run_fuzzer.cmake: ${var} not set")
  endif()
endforeach()
if(NOT DEFINED SEED)
  set(SEED 0)
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/artifacts)
file(GLOB seeds ${SEEDS}/*)
if(seeds)
  file(COPY ${seeds} DESTINATION ${WORK}/corpus)
endif()

set(ENV{ASAN_OPTIONS} "detect_leaks=1:abort_on_error=0")
set(ENV{UBSAN_OPTIONS} "print_stacktrace=1:halt_on_error=1")
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -seed=${SEED} -timeout=10 -rss_limit_mb=2048
          -artifact_prefix=${WORK}/artifacts/ ${WORK}/corpus
  WORKING_DIRECTORY ${WORK}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB artifacts ${WORK}/artifacts/*)
  message(FATAL_ERROR "${FUZZER} failed (${result}); reproducer: ${artifacts}")
endif()
