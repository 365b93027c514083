#!/usr/bin/env bash
# Builds the Debian package (build/release/ostrivo_*.deb) and checks it with lintian.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh package
build=$(bash scripts/build.sh release)
(cd "$build" && cpack -G DEB >&2)
deb=$(ls -t "$build"/ostrivo_*.deb | head -n 1)
lintian --tag-display-limit 0 "$deb" >&2 || { echo "lintian found errors in $deb" >&2; exit 1; }
echo "$deb"
