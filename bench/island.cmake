# Benchmarks of the island area.
