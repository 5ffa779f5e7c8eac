# Benchmarks of the island area.
fraymark_add_bench(bench_preview_run PreviewRunBench.cpp)
target_link_libraries(bench_preview_run PRIVATE fraymark_app)
fraymark_add_bench(bench_island_frame IslandFrameBench.cpp)
target_link_libraries(bench_island_frame PRIVATE fraymark_app)
