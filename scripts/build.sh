#!/usr/bin/env bash
# Configures and builds one flavour: "release" (the program as users run it) or "asan" (tests
# under AddressSanitizer and UndefinedBehaviorSanitizer). Prints the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
build="build/$flavour"
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
[ "$flavour" = asan ] && args+=(-DOSTRIVO_SANITIZE=ON)
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" "${args[@]}" >&2
fi
cmake --build "$build" "$@" >&2
echo "$build"
