#!/usr/bin/env bash
# Camera-size JPEGs shown in the picture window, before and after a change, in one run:
# builds bench_picture_show from a base revision (default main) and from this tree, runs every
# case a few times in fresh processes, alternating the two builds, beside the peers:
#   djpeg (libjpeg-turbo's decoder): the processor time of a full decode of the same file
#   (measured with perf stat), and of its own decode at the scale the picture window chooses,
#   which shows how much of the time no scale can save (the entropy decoding);
#   feh on a virtual screen of the same size: its peak memory showing the same picture.
# Prints each figure (medians) and the ratios to the peers.
#
#   bench/picture_show.sh [base revision] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
base=${1:-main}
runs=${2:-5}
screen_w=1280
screen_h=1024
display=:$((100 + RANDOM % 800))
work=$(mktemp -d /tmp/picture_show.XXXXXX)
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# ---- Builds ----
echo "building this tree ..." >&2
after="$here/$(bash "$here/scripts/build.sh" bench --target bench_picture_show -j2)/bench/bench_picture_show"
echo "building $base ..." >&2
# The base tree and its build are kept in this tree's build folder: a second run reuses them.
rev=$(git -C "$here" rev-parse "$base^{commit}")
src="$here/build/bench-base/src"
if [ "$(cat "$here/build/bench-base/revision" 2>/dev/null)" != "$rev" ]; then
  rm -rf "$here/build/bench-base"
  mkdir -p "$src"
  git -C "$here" archive "$rev" | tar -x -C "$src"
  echo "$rev" >"$here/build/bench-base/revision"
fi
# The same measuring program in both trees.
for f in picture_show.cpp photo_jpeg.h; do
  cmp -s "$here/bench/$f" "$src/bench/$f" || cp "$here/bench/$f" "$src/bench/"
done
grep -q 'ostrivo_bench(picture_show' "$src/bench/CMakeLists.txt" ||
  echo 'ostrivo_bench(picture_show LIBS ostrivo_testprogram)' >>"$src/bench/CMakeLists.txt"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f "$here/build/bench-base/build/build.ninja" ] ||
  cmake -S "$src" -B "$here/build/bench-base/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DOSTRIVO_BENCHMARKS=ON "${launcher[@]}" >/dev/null
cmake --build "$here/build/bench-base/build" --target bench_picture_show -j2 >/dev/null
before="$here/build/bench-base/build/bench/bench_picture_show"

# ---- Pictures and a screen for feh ----
"$after" make "$work/photo6000.jpg" 6000 4000
"$after" make "$work/photo3000.jpg" 3000 2000
Xvfb "$display" -screen 0 "${screen_w}x${screen_h}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 1

# ---- Measurements ----
# case name, file, mode (fit, stretch, none), feh's zoom switches, the decode scale shown
cases=(
  "fit-6000x4000 $work/photo6000.jpg fit --auto-zoom 1/4"
  "fit-3000x2000 $work/photo3000.jpg fit --auto-zoom 1/2"
  "none-6000x4000 $work/photo6000.jpg none --zoom=100 1/1"
)
results="$work/results.txt"
: >"$results"
for ((i = 0; i < runs; i++)); do
  for c in "${cases[@]}"; do
    read -r name file mode feh_zoom scale <<<"$c"
    for build in before after; do
      bin=$before
      [ $build = after ] && bin=$after
      echo "$name $build $("$bin" show "$file" "$mode" $screen_w $screen_h 2>/dev/null)" >>"$results"
    done
    # djpeg: the processor time of a full decode (perf's task clock, to the microsecond), and
    # its peak memory.
    cpu=$(perf stat -x, -e task-clock djpeg -outfile /dev/null "$file" 2>&1 >/dev/null | cut -d, -f1)
    peak=$(/usr/bin/time -f '%M' djpeg -outfile /dev/null "$file" 2>&1)
    echo "$name djpeg cpu_ms=$cpu peak_MB=$(awk -v k="$peak" 'BEGIN {printf "%.1f", k / 1024}')" \
      >>"$results"
    cpu=$(perf stat -x, -e task-clock djpeg -scale "$scale" -outfile /dev/null "$file" 2>&1 >/dev/null |
      cut -d, -f1)
    echo "$name djpeg-scaled cpu_ms=$cpu" >>"$results"
    # feh: full screen on the same screen size, one picture shown for a second, then it quits.
    echo "$name feh $(DISPLAY=$display timeout 60 /usr/bin/time -f 'peak_MB=%M' feh -F $feh_zoom \
      --on-last-slide quit -D 1 "$file" 2>&1 | awk -F'=' '/peak_MB/ {printf "peak_MB=%.1f", $2 / 1024}')" >>"$results"
  done
done

python3 - "$results" <<'PY'
import re, statistics, sys
data = {}
for line in open(sys.argv[1]):
    name, who, *fields = line.split()
    for f in fields:
        k, _, v = f.partition("=")
        if k in ("cpu_ms", "base_MB", "peak_MB"):
            data.setdefault((name, who, k), []).append(float(v))
def m(name, who, k):
    v = data.get((name, who, k))
    return statistics.median(v) if v else float("nan")
names = sorted({k[0] for k in data}, key=lambda n: (not n.startswith("fit-6"), n))
print(f"{'case':16} {'':12} {'CPU ms':>8} {'/djpeg':>7} {'/scaled':>7} {'peak MB':>8} {'+MB':>6} {'/feh':>6}")
for n in names:
    dj, ds, fe = m(n, "djpeg", "cpu_ms"), m(n, "djpeg-scaled", "cpu_ms"), m(n, "feh", "peak_MB")
    for who in ("before", "after"):
        cpu, peak, base = m(n, who, "cpu_ms"), m(n, who, "peak_MB"), m(n, who, "base_MB")
        print(f"{n:16} {who:12} {cpu:8.1f} {cpu / dj:7.2f} {cpu / ds:7.2f} {peak:8.1f} {peak - base:6.1f} {peak / fe:6.2f}")
    print(f"{n:16} {'djpeg':12} {dj:8.1f} {1:7.2f} {dj / ds:7.2f} {m(n, 'djpeg', 'peak_MB'):8.1f}")
    print(f"{n:16} {'djpeg scaled':12} {ds:8.1f} {ds / dj:7.2f} {1:7.2f}")
    print(f"{n:16} {'feh':12} {'':8} {'':7} {'':7} {fe:8.1f} {'':6} {1:6.2f}")
    print(f"{n:16} after/before: CPU {m(n, 'after', 'cpu_ms') / m(n, 'before', 'cpu_ms'):.2f}, "
          f"peak {m(n, 'after', 'peak_MB') / m(n, 'before', 'peak_MB'):.2f}")
PY
