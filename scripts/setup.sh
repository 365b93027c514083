#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, benchmarking and running Ostrivo needs.
# Does nothing when all of them are present. Runs as root, or through sudo.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libxkbcommon-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libjpeg62-turbo-dev libasound2-dev
  # run: the media framework, its decoders and a General MIDI sound font
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-libav gstreamer1.0-alsa gstreamer1.0-x timgm6mb-soundfont
  qt6-qpa-plugins fonts-dejavu-core xdg-utils
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps x11-utils imagemagick
  gstreamer1.0-tools gstreamer1.0-plugins-base-apps libjpeg-turbo-progs
  hyperfine time
)

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
