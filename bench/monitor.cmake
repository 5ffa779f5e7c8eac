# Benchmarks of the monitor area.
fraymark_add_bench(bench_monitor MonitorBench.cpp)
target_link_libraries(bench_monitor PRIVATE fraymark_monitor simdjson::simdjson)
# Checks its own targets; too slow for every test run.
add_test(NAME bench_monitor COMMAND bench_monitor)
set_tests_properties(bench_monitor PROPERTIES LABELS bench TIMEOUT 600)
