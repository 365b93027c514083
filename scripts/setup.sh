#!/usr/bin/env bash
# Installs the Debian 12 packages one purpose needs, and nothing when they are there:
#   setup.sh run      building and running the program
#   setup.sh test     + the test tools and the desktop services the tests start
#   setup.sh bench    + the benchmarks and the peers they are measured against
#   setup.sh package  + what building and checking the Debian package takes
# Runs as root, or through sudo.
set -euo pipefail
purpose=${1:-run}

run=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libxkbcommon-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libjpeg62-turbo-dev libasound2-dev
  # the media framework, its decoders, a General MIDI sound font, the sound server's ALSA plugin
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav gstreamer1.0-alsa gstreamer1.0-pulseaudio gstreamer1.0-x
  timgm6mb-soundfont libasound2-plugins
  qt6-qpa-plugins fonts-dejavu-core xdg-utils shared-mime-info desktop-file-utils
  # a display when there is none
  xvfb xauth
)
test=(
  googletest libgtest-dev libgmock-dev
  openbox dbus dbus-x11 playerctl pulseaudio pulseaudio-utils
  appstream libglib2.0-bin groff-base man-db
  clang libclang-rt-14-dev
  x11-apps x11-utils xdotool imagemagick sox libimage-exiftool-perl
  gstreamer1.0-tools gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-ugly
)
bench=(libbenchmark-dev libjpeg-turbo-progs hyperfine time feh)
package=(dpkg-dev fakeroot file lintian)

packages=("${run[@]}")
case $purpose in
  run) ;;
  test) packages+=("${test[@]}") ;;
  bench) packages+=("${test[@]}" "${bench[@]}") ;;
  package) packages+=("${package[@]}") ;;
  *) echo "setup.sh: unknown purpose '$purpose' (run, test, bench, package)" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
