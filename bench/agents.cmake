# Benchmarks of the agents area.
fraymark_add_bench(bench_agents CodexBench.cpp)
target_link_libraries(bench_agents PRIVATE fraymark_agents simdjson::simdjson)
# Checks its own target; too slow for every test run.
add_test(NAME bench_agents COMMAND bench_agents)
set_tests_properties(bench_agents PROPERTIES LABELS bench TIMEOUT 600)
