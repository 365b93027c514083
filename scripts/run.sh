#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it. Without arguments it plays the
# bundled demo play list to its end. Without a display it runs on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=$(bash scripts/build.sh release --target ostrivo)
[ $# -gt 0 ] || set -- /open "$PWD/demo/demo.osp" /play
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/ostrivo" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/ostrivo" "$@"
