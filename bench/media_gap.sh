#!/usr/bin/env bash
# The silence between two consecutive sound entries (pause option 0), recorded from the monitor
# of a PulseAudio null sink, for the program and, side by side on the same files and the same
# sound server, gst-play-1.0. Prints each gap in milliseconds and their ratio.
#
#   bench/media_gap.sh [path/to/ostrivo]   (default: build/bench/ostrivo, else build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=${1:-}
[ -z "$exe" ] && for b in build/bench build/release; do [ -x "$b/ostrivo" ] && exe="$b/ostrivo" && break; done
[ -x "$exe" ] || { echo "media_gap: build the program first (scripts/build.sh bench --target ostrivo)" >&2; exit 2; }
for tool in pulseaudio parec sox gst-play-1.0 Xvfb python3; do
  command -v "$tool" >/dev/null || { echo "media_gap: $tool is not installed" >&2; exit 2; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  XDG_RUNTIME_DIR="$work/run" pulseaudio --kill 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# A sound server of our own with a null sink, and a display of our own.
mkdir -p "$work/run" && chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
pulseaudio -n --daemonize=yes --exit-idle-time=-1 --log-target=stderr \
  -L "module-null-sink sink_name=gap" -L "module-native-protocol-unix" 2>/dev/null
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
export PULSE_SINK=gap
display=":$((120 + RANDOM % 50))"
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
sleep 1

# Two 2-second tones that start and end loud, so every quiet stretch between them is the gap.
# FORMAT=mp3 plays them as constant-bit-rate MP3 files without a Xing header instead.
sox -n -r 44100 -c 2 "$work/a.wav" synth 2 sine 440 vol 0.5
sox -n -r 44100 -c 2 "$work/b.wav" synth 2 sine 660 vol 0.5
ext=${FORMAT:-wav}
if [ "$ext" = mp3 ]; then
  for n in a b; do
    gst-launch-1.0 -q filesrc location="$work/$n.wav" ! wavparse ! audioconvert ! \
      lamemp3enc target=bitrate cbr=true bitrate=128 ! filesink location="$work/$n.mp3"
  done
fi

# A configuration of its own: no first-start questions (the play-list association is this
# program's), pause option 0.
export OSTRIVO_CONFIG_DIR="$work/config"
mkdir -p "$OSTRIVO_CONFIG_DIR"
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
quoted=$(printf '%s' "$exe" | sed 's/[\\"]/\\&/g')
printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CLASSES_ROOT]' '' \
  '[HKEY_CLASSES_ROOT\Ostrivo.osp\shell\Open\command]' \
  "@=\"$quoted /open \\\"%l\\\" /play\"" '' >"$OSTRIVO_CONFIG_DIR/HKEY_CLASSES_ROOT.reg"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER]' '' \
  '[HKEY_CURRENT_USER\Software]' '' '[HKEY_CURRENT_USER\Software\Ostrivo]' \
  '"ContinuousBoxChecked"="0"' '"RandomBoxChecked"="0"' '"Pause"="0"' '"DisplayTime"="3"' '' \
  >"$OSTRIVO_CONFIG_DIR/HKEY_CURRENT_USER.reg"

# Records the monitor while the command runs; prints the longest quiet stretch between the
# first and the last loud 5 ms of the recording.
gap_of() {
  local raw="$work/rec.raw"
  parec -d gap.monitor --format=s16le --rate=44100 --channels=1 --latency-msec=10 >"$raw" &
  local rec=$!
  sleep 0.5
  "$@" >/dev/null 2>&1 || true
  sleep 0.3
  kill "$rec" 2>/dev/null || true
  wait "$rec" 2>/dev/null || true
  python3 - "$raw" <<'EOF'
import array, sys
samples = array.array("h", open(sys.argv[1], "rb").read())
win = 441 // 2  # 5 ms
loud = [max(abs(s) for s in samples[i:i + win]) > 1000
        for i in range(0, len(samples) - win, win)]
idx = [i for i, l in enumerate(loud) if l]
if not idx:
    print("nan"); sys.exit()
best = run = 0
for l in loud[idx[0]:idx[-1] + 1]:
    run = 0 if l else run + 1
    best = max(best, run)
# Both tones must have sounded (4 s of sound), or there was no second entry to wait for.
print(best * 5 if sum(loud) * 5 > 3500 else "nan")
EOF
}

runs=${RUNS:-3}
ours=() peer=()
for _ in $(seq "$runs"); do
  ours+=("$(gap_of timeout 60 "$exe" /file "$work/a.$ext" /file "$work/b.$ext" /play /quit)")
  peer+=("$(gap_of timeout 60 gst-play-1.0 --no-interactive "$work/a.$ext" "$work/b.$ext")")
done
python3 - "${ours[*]}" "${peer[*]}" <<'EOF'
import statistics, sys
ours = [float(x) for x in sys.argv[1].split()]
peer = [float(x) for x in sys.argv[2].split()]
mo, mp = statistics.median(ours), statistics.median(peer)
print(f"silence between entries, ms (runs {ours}): ostrivo median {mo:.0f}")
print(f"silence between entries, ms (runs {peer}): gst-play-1.0 median {mp:.0f}")
print(f"ratio ostrivo / gst-play-1.0: {mo / mp:.1f}" if mp > 0 else "gst-play-1.0: no gap")
EOF
