#!/usr/bin/env bash
# Runs every fuzzer of fuzz/ for ten minutes (or the given seconds) and prints each one's
# executions and findings.
exec "$(dirname "$0")/../scripts/fuzz.sh" "${1:-600}"
