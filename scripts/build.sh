#!/usr/bin/env bash
# Configures and builds one flavour and prints its build folder:
#   release  the program as users run it (no tests)
#   asan     the program and its tests under AddressSanitizer and UndefinedBehaviorSanitizer
#   bench    an optimised build with the tests' support and the benchmarks
set -euo pipefail
cd "$(dirname "$0")/.."
flavour=${1:-release}
shift || true
build="build/$flavour"
args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
case $flavour in
  release) args+=(-DBUILD_TESTING=OFF) ;;
  asan) args+=(-DOSTRIVO_SANITIZE=ON) ;;
  bench) args+=(-DOSTRIVO_BENCHMARKS=ON) ;;
  *) echo "build.sh: unknown flavour '$flavour' (release, asan, bench)" >&2; exit 2 ;;
esac
command -v ccache >/dev/null && args+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" "${args[@]}" >&2
fi
cmake --build "$build" "$@" >&2
echo "$build"
