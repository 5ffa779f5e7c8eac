#!/usr/bin/env bash
# Runs one fuzz target over its seed corpus and regression inputs.
#   run.sh BINARY NAME runs N     N runs from a fixed seed (deterministic: the test)
#   run.sh BINARY NAME time S     S seconds, crashes kept in $FUZZ_ARTIFACTS (make fuzz)
set -euo pipefail
bin=$1 name=$2 mode=$3 value=$4
here=$(cd "$(dirname "$0")" && pwd)
# Scratch files (the targets' too: the preferences store syncs every save) in memory where
# there is such a place, unless the caller chose a folder.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ]; then export TMPDIR=/dev/shm; fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# libFuzzer adds what it finds to the first folder: a scratch one, never the sources.
dirs=("$scratch")
for d in "$here/corpus/$name" "$here/regressions/$name"; do
  [ -d "$d" ] && dirs+=("$d")
done
case $mode in
  runs) opts=(-runs="$value" -seed=1) ;;
  time) opts=(-max_total_time="$value") ;;
  *) echo "run.sh: unknown mode $mode" >&2; exit 2 ;;
esac
# Tokens of the format, for the mutations to splice in.
[ -f "$here/dict/$name.dict" ] && opts+=(-dict="$here/dict/$name.dict")
artifacts=${FUZZ_ARTIFACTS:-$scratch}
mkdir -p "$artifacts"
if "$bin" "${opts[@]}" -timeout=10 -rss_limit_mb=2048 -max_len=8192 -artifact_prefix="$artifacts/$name-" \
  -print_final_stats=1 "${dirs[@]}" 2>"$scratch/log"; then
  grep -E '^(Done|stat::number_of_executed_units)' "$scratch/log" | tr '\n' ' '
  echo "($name)"
  exit 0
fi
cat "$scratch/log" >&2
for crash in "$artifacts/$name-"*; do
  [ -e "$crash" ] || continue
  echo "fuzz: $name failed on $crash; keep it as tests/fuzz/regressions/$name/<what-it-does> once mended" >&2
done
exit 1
