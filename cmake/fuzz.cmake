# libFuzzer targets, each with its seed corpus in tests/fuzz/corpus/<name>.
# The smoke test of each runs it for a short bounded time over its corpus and
# fails on the first crash or broken check; tools/fuzz.sh runs them long.
set(LAUNCHER_FUZZ_SECONDS 10 CACHE STRING "How long each fuzz target's smoke test runs")

function(add_fuzz_target name)
  add_executable(fuzz_${name} ${ARGN})
  target_link_libraries(fuzz_${name} PRIVATE launcher_core simulated_machine)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_compile_options(fuzz_${name} PRIVATE -Wall -Wextra -Werror)

  # New inputs go to a corpus in the build tree, never into the repository's.
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${name})
  file(MAKE_DIRECTORY ${work}/corpus ${work}/artifacts)
  add_test(NAME fuzz.${name}
    COMMAND fuzz_${name} -max_total_time=${LAUNCHER_FUZZ_SECONDS} -timeout=20 -rss_limit_mb=2048
      -print_final_stats=1 -artifact_prefix=${work}/artifacts/
      ${work}/corpus ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name})
  set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 120 LABELS fuzz)
endfunction()

add_fuzz_target(settings tests/fuzz/FuzzSettings.cpp)
add_fuzz_target(scenario tests/fuzz/FuzzScenario.cpp tests/fuzz/ScenarioInput.cpp)
