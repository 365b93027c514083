#!/usr/bin/env bash
# Installs the build into a DESTDIR and checks what a packager and a user get: the file set,
# the desktop files through their validators, the manual page through man's warnings, and the
# installed program playing a file and quitting by itself.
#   check-install.sh BUILD_DIR
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >/dev/null
dest="$root/dest"
usr="$dest/usr"

# The file set.
expected=(
  usr/bin/ostrivo
  usr/share/ostrivo/help/index.htm
  usr/share/ostrivo/demo/demo.osp usr/share/ostrivo/demo/chime-low.wav
  usr/share/ostrivo/demo/chime-high.wav usr/share/ostrivo/demo/tune.mid
  usr/share/ostrivo/demo/island.jpg usr/share/ostrivo/demo/sunset.bmp
  usr/share/applications/org.ostrivo.Ostrivo.desktop
  usr/share/applications/org.ostrivo.Ostrivo.Play.desktop
  usr/share/applications/org.ostrivo.Ostrivo.PlayList.desktop
  usr/share/applications/org.ostrivo.Ostrivo.View.desktop
  usr/share/applications/org.ostrivo.Ostrivo.ViewDrive.desktop
  usr/share/mime/packages/org.ostrivo.Ostrivo.xml
  usr/share/icons/hicolor/scalable/apps/org.ostrivo.Ostrivo.svg
  usr/share/metainfo/org.ostrivo.Ostrivo.metainfo.xml
  usr/share/man/man1/ostrivo.1.gz
  usr/share/doc/ostrivo/copyright usr/share/doc/ostrivo/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/org.ostrivo.Ostrivo.png")
done
actual=$(cd "$dest" && find . -type f | sed 's|^\./||' | sort)
want=$(printf '%s\n' "${expected[@]}" | sort)
[ "$actual" = "$want" ] || fail "installed files differ:
$(diff <(echo "$want") <(echo "$actual"))"
for size in 16 22 24 32 48 64 128 256; do
  file "$usr/share/icons/hicolor/${size}x${size}/apps/org.ostrivo.Ostrivo.png" |
    grep -q "PNG image data, $size x $size" || fail "icon ${size}x${size} is not a ${size}px PNG"
done

# The installed demo list names its files where they were installed.
while IFS= read -r line; do
  line=${line%$'\r'}
  case $line in "Pause: "* | Stop | Quit) continue ;; esac
  [ -f "$dest$line" ] || fail "the demo list names $line, which was not installed"
done <"$usr/share/ostrivo/demo/demo.osp"

# The validators, which must have nothing to say.
for entry in "$usr"/share/applications/*.desktop; do
  out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate $entry: $out"
  # Hints may remain (the menu entry's categories name several main ones, as they should).
  ! grep -qE 'error:|warning:' <<<"$out" || fail "desktop-file-validate $entry: $out"
done
grep -q '^MimeType=.*image/jpeg;' "$usr/share/applications/org.ostrivo.Ostrivo.Play.desktop" ||
  fail "the Play entry does not list image/jpeg"
appstreamcli validate --no-net "$usr/share/metainfo/org.ostrivo.Ostrivo.metainfo.xml" >/dev/null ||
  fail "appstreamcli: $(appstreamcli validate --no-net "$usr/share/metainfo/org.ostrivo.Ostrivo.metainfo.xml" 2>&1)"
xmllint --noout "$usr/share/mime/packages/org.ostrivo.Ostrivo.xml" || fail "MIME package is not XML"
mkdir -p "$root/mime/packages"
cp "$usr/share/mime/packages/org.ostrivo.Ostrivo.xml" "$root/mime/packages/"
update-mime-database "$root/mime" >/dev/null || fail "update-mime-database refused the MIME package"
grep -q 'application/x-ostrivo-playlist' "$root/mime/globs2" || fail "no play-list glob"
grep -q '^application/x-ostrivo-playlist text/plain$' "$root/mime/subclasses" ||
  fail "the play-list type is no text/plain"
zcat "$usr/share/man/man1/ostrivo.1.gz" >"$root/ostrivo.1"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$root/ostrivo.1" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man: $warnings"
for switch in /dir /random /continuous /play /fit /delay /minimize /open /file /quit /stretch \
  /recurse /randomize OSTRIVO_CONFIG_DIR OSTRIVO_AUDIO_SINK OSTRIVO_VIDEO_SINK \
  OSTRIVO_CDROM_DEVICE HKEY_CURRENT_USER.reg HKEY_CLASSES_ROOT.reg; do
  man -l "$root/ostrivo.1" 2>/dev/null | grep -qF -- "$switch" || fail "the manual page lacks $switch"
done

# The installed program plays a file and quits, with a configuration of a program started
# before (no first-start questions).
config="$root/config"
mkdir -p "$config"
printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CLASSES_ROOT]' '' \
  '[HKEY_CLASSES_ROOT\Ostrivo.osp\shell\Open\command]' '@="ostrivo"' '' \
  >"$config/HKEY_CLASSES_ROOT.reg"
# Played once, in order (the options' first values are random and continuous play).
printf '%s\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\Software\Ostrivo]' \
  '"RandomBoxChecked"="0"' '"ContinuousBoxChecked"="0"' '"Pause"="0"' '' \
  >"$config/HKEY_CURRENT_USER.reg"
sox -n -r 8000 -c 1 "$root/x.wav" synth 0.5 sine 440 2>/dev/null ||
  fail "sox could not make a test sound"
OSTRIVO_CONFIG_DIR="$config" timeout 60 "$usr/bin/ostrivo" /file "$root/x.wav" /play /quit ||
  fail "the installed program did not play and quit (exit $?)"
grep -q '"VolumeBoxChecked"="1"' "$config/HKEY_CURRENT_USER.reg" || fail "no settings written at exit"
echo "install check passed"
