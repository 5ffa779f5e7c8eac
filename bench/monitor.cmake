# Benchmarks of the monitor area.
