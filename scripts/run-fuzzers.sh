#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzzing build for a bounded time each.
# Usage: run-fuzzers.sh <build folder> <seconds per target>
set -eu
build=$1
seconds=$2
# Leaks that Qt's platform plugin and the font library keep until the process
# ends are not ours.
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
found=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  found=1
  name=$(basename "$target")
  corpus="$build/fuzz-corpus/$name"
  mkdir -p "$corpus"
  # Committed seeds: hostile inputs that once crashed or hung, and valid ones.
  seeds="$here/../tests/fuzz/corpus/$name"
  [ -d "$seeds" ] || seeds=
  echo "== $name for $seconds s"
  "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" $seeds
done
if [ $found -eq 0 ]; then
  echo "no fuzz targets were built" >&2
  exit 1
fi
