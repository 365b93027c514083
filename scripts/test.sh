#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=$(bash scripts/build.sh asan)
# The end-to-end tests start the real program, which needs a display: give them a virtual one.
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
  ctest --test-dir "$build" -j2 --output-on-failure --timeout 600 "$@"
