#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for the given number of seconds (30 by default),
# starting from its seed corpus in fuzz/corpus/. Prints each one's executions and findings and
# exits non-zero when any of them found something (the inputs are kept in build/fuzz/findings).
#   scripts/fuzz.sh [seconds] [fuzzer ...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
fuzzers=("$@")
[ ${#fuzzers[@]} -gt 0 ] || fuzzers=(BitmapFuzzer JpegFuzzer HiveTextFuzzer PlayListFuzzer WholeNumberFuzzer)
build=build/fuzz
if [ ! -f "$build/build.ninja" ]; then
  args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRIVO_SANITIZE=ON -DOSTRIVO_FUZZ=ON
        -DBUILD_TESTING=OFF -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
  command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" "${args[@]}" >&2
fi
cmake --build "$build" --target "${fuzzers[@]}" -j 2 >&2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_odr_violation=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings"
failed=0
for fuzzer in "${fuzzers[@]}"; do
  # The seeds stay as shipped; what the run adds goes to a corpus of the build's own.
  corpus="$build/corpus/$fuzzer"
  mkdir -p "$corpus"
  log="$build/findings/$fuzzer.log"
  status=0
  "$build/fuzz/$fuzzer" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=3072 \
    -artifact_prefix="$build/findings/$fuzzer-" -print_final_stats=1 \
    "$corpus" "fuzz/corpus/$fuzzer" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo "?")
  if [ "$status" -eq 0 ]; then
    echo "$fuzzer: $runs executions in ${seconds} s, no findings"
  else
    failed=1
    echo "$fuzzer: FINDING after $runs executions (exit $status); see $log"
    grep -m 5 -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" || true
  fi
done
exit "$failed"
