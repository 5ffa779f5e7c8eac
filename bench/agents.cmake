# Benchmarks of the agents area.
