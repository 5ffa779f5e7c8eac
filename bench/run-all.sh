#!/usr/bin/env bash
# Runs every benchmark of a build directory, then the resident-cost measurement.
set -euo pipefail
build=${1:-build}
for b in "$build"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
if [ -x "$build/fraymark" ]; then
  echo "== resident_usage"
  "$(dirname "$0")/resident_usage.py" "$build"
  echo "== json_latency"
  "$(dirname "$0")/json_latency.py" "$build"
  echo "== desktop_usage"
  "$(dirname "$0")/desktop_usage.py" "$build"
fi
