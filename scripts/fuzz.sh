#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz tree for the given number of seconds,
# each from its seed corpus in tests/fuzz/corpus plus what earlier runs in the
# same tree found. Any crash, leak, sanitizer report or time-out fails.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
status=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  seeds="$root/tests/fuzz/corpus/${name#fuzz_}"
  work="$build/corpus/${name#fuzz_}"
  artifacts="$build/artifacts/$name/"
  mkdir -p "$work" "$artifacts"
  log="$build/$name.log"
  echo "fuzz: $name for ${seconds}s"
  if ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions="$root/tests/fuzz/lsan.supp" \
     QT_QPA_PLATFORM=offscreen "$target" -max_total_time="$seconds" -timeout=10 \
       -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$artifacts" \
       "$work" "$seeds" >"$log" 2>&1; then
    runs=$( (grep -E '^stat::number_of_executed_units' "$log" || true) | awk '{print $2}')
    cov=$( (grep -E 'DONE +cov:' "$log" || true) | sed -E 's/.*cov: ([0-9]+).*/\1/' | tail -n 1)
    echo "fuzz: $name: ${runs:-?} executions, coverage ${cov:-?} edges, no crash"
  else
    echo "fuzz: $name FAILED; the end of its log:"
    tail -n 40 "$log"
    status=1
  fi
done
exit $status
