# Benchmarks of the monitor area.
fraymark_add_bench(bench_monitor MonitorBench.cpp)
target_link_libraries(bench_monitor PRIVATE fraymark_monitor simdjson::simdjson)
# Checks its own targets; too slow for every test run.
add_test(NAME bench_monitor COMMAND bench_monitor)
set_tests_properties(bench_monitor PROPERTIES LABELS bench TIMEOUT 600)

# 24 simulated hours of the monitor over a changing home: memory and descriptors flat.
fraymark_add_bench(bench_soak SoakBench.cpp)
target_link_libraries(bench_soak PRIVATE fraymark_monitor fraymark_agents)
add_test(NAME bench_soak COMMAND bench_soak)
set_tests_properties(bench_soak PROPERTIES LABELS bench TIMEOUT 1800)
