# Benchmarks of the media area.
fraymark_add_bench(bench_demo_media DemoMediaBench.cpp)
target_link_libraries(bench_demo_media PRIVATE fraymark_media)
# Captures the film in real time (46 s); not for every test run.
add_test(NAME bench_demo_media COMMAND bench_demo_media)
set_tests_properties(bench_demo_media PROPERTIES LABELS bench TIMEOUT 300)
