#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs every test (CTest) on a virtual
# desktop of its own: the end-to-end tests start the real program under a real window manager.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh test
build=$(bash scripts/build.sh asan)
exec bash scripts/desktop.sh ctest --test-dir "$build" -j2 --output-on-failure --timeout 600 "$@"
