#!/usr/bin/env bash
# Installs what is missing, builds the program and runs it. Without arguments it plays the
# bundled demo play list to its end, where a Quit mark closes the program. Without a display it
# runs on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh run
build=$(bash scripts/build.sh release --target ostrivo)
build="$PWD/$build"

if [ $# -eq 0 ]; then
  # The demo list names its files relative to its folder, and the program takes entries as
  # given: the copy installed beside the program gets absolute entries, marks left alone.
  demo="$build/demo"
  mkdir -p "$demo"
  awk -v dir="$demo" '{
      sub(/\r$/, "")
      if ($0 !~ /^Pause: / && $0 != "Stop" && $0 != "Quit" && $0 !~ /^\//) $0 = dir "/" $0
      printf "%s\r\n", $0
    }' demo/demo.osp >"$demo/demo.osp"

  # A configuration of the demo's own, made afresh: not a first start (no association
  # questions), and the list plays once, in order, pictures filling the screen for 3 s.
  if [ -z "${OSTRIVO_CONFIG_DIR:-}" ]; then
    export OSTRIVO_CONFIG_DIR="$build/demo-config"
    rm -rf "$OSTRIVO_CONFIG_DIR"
    mkdir -p "$OSTRIVO_CONFIG_DIR"
    exe=$(printf '%s' "$build/ostrivo" | sed 's/[\\"]/\\&/g')
    printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CLASSES_ROOT]' '' \
      '[HKEY_CLASSES_ROOT\Ostrivo.osp\shell\Open\command]' \
      "@=\"$exe /open \\\"%l\\\" /play\"" '' >"$OSTRIVO_CONFIG_DIR/HKEY_CLASSES_ROOT.reg"
    {
      printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER]' '' \
        '[HKEY_CURRENT_USER\Software]' '' '[HKEY_CURRENT_USER\Software\Ostrivo]'
      for v in AuxVolumeBox CDVolumeBox MicVolumeBox MidiVolumeBox VolumeBox WaveVolumeBox \
        FitBox StretchBox; do
        printf '"%sChecked"="1"\n' "$v"
      done
      for v in ContinuousBox RandomBox RecurseBox TitleBox; do
        printf '"%sChecked"="0"\n' "$v"
      done
      printf '%s\n' '"DisplayTime"="3"' '"Pause"="0"' ''
    } >"$OSTRIVO_CONFIG_DIR/HKEY_CURRENT_USER.reg"
  fi
  set -- /open "$demo/demo.osp" /play
fi

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$build/ostrivo" "$@"
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$build/ostrivo" "$@"
