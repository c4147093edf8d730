#!/usr/bin/env bash
# CI: builds the Debian package, installs it with apt-get as a user would, runs
# the installed program from the command line and with its window, checks what
# the system's triggers registered, purges the package and checks that nothing
# of it is left behind. Ends with the reason at the first failed check.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "package-check: $*" >&2
  exit 1
}
passed=0
step() {
  echo "package-check: $*"
  passed=$((passed + 1))
}

export DEBIAN_FRONTEND=noninteractive
purge() { apt-get purge -y -qq kavora >/dev/null; }
installed() { dpkg-query -W -f='${Status}' kavora 2>/dev/null | grep -q 'ok installed'; }
# A run that failed half-way leaves this machine as it found it.
trap 'if installed; then purge; fi' EXIT

./scripts/package.sh
package=$(echo build/package/kavora_*.deb)
[[ -f $package ]] || fail "no package was built"

# Every file a desktop, man and the program itself look for.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
expected=(
  /usr/bin/kavora
  "/usr/lib/$multiarch/kavora/kavora-window.so"
  /usr/share/kavora/KVR.HLP
  /usr/share/applications/org.kavora.Kavora.desktop
  /usr/share/metainfo/org.kavora.Kavora.metainfo.xml
  /usr/share/mime/packages/org.kavora.Kavora.mime.xml
  /usr/share/icons/hicolor/scalable/apps/org.kavora.Kavora.svg
  /usr/share/icons/hicolor/scalable/mimetypes/audio-x-kavora-playlist.svg
  /usr/share/man/man1/kavora.1.gz
  /usr/share/doc/kavora/copyright
  /usr/share/doc/kavora/changelog.gz
)
contents=$(dpkg-deb --fsys-tarfile "$package" | tar -t | sed 's|^\./|/|')
for path in "${expected[@]}"; do
  grep -qxF "$path" <<<"$contents" || fail "$package lacks $path"
done
step "the package holds all ${#expected[@]} files"

if installed; then purge; fi
apt-get install -y -qq --no-install-recommends "./$package" >/dev/null || fail "apt-get cannot install $package"
dpkg -L kavora | sort >build/package/installed-files
step "installed $(wc -l <build/package/installed-files) paths"

work=$(mktemp -d)
trap 'if installed; then purge; fi; rm -rf "$work"' EXIT
mkdir -p "$work/home/Music" "$work/run"
chmod 700 "$work/run"

# The command line needs no display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/kavora --version) || fail "kavora --version failed"
grep -q "^kavora (Kavora) " <<<"$version" || fail "kavora --version printed: $version"

printf 'Song.mp3\nOther Song.mp3\n' >"$work/home/Music/mix.m3u"
touch "$work/home/Music/Song.mp3" "$work/home/Music/Other Song.mp3"
(cd "$work/home" && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$work/home" /usr/bin/kavora --create Music/mix.m3u) \
  >"$work/report" || fail "kavora --create failed: $(cat "$work/report")"
for numbered in "001 Song.mp3" "002 Other Song.mp3" mix.kvr; do
  [[ -e $work/home/Music/$numbered ]] || fail "kavora --create made no $numbered: $(cat "$work/report")"
done
step "the installed program numbered a playlist: $(tail -n1 "$work/report")"

# The window loads its module from the library folder and finds the help file
# in the data folder. It runs until it has logged where it looks (up to 15 s).
HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
  QT_LOGGING_RULES=kavora.startup.debug=true /usr/bin/kavora 2>"$work/window.log" &
window=$!
for ((polls = 0; polls < 300; polls++)); do
  grep -q "help file:" "$work/window.log" || ! kill -0 $window 2>/dev/null && break
  sleep 0.05
done
kill $window 2>/dev/null && wait $window 2>/dev/null || true
grep -qE 'help file: Z:.*\\share\\kavora\\KVR\.HLP' "$work/window.log" ||
  fail "the installed window did not open with its help file: $(cat "$work/window.log")"
step "the installed window opened"

# The triggers of shared-mime-info, desktop-file-utils and man-db ran.
grep -qxF 'audio/x-kavora-playlist:*.kvr' <(cut -d: -f2- /usr/share/mime/globs2) ||
  fail "the MIME database does not know *.kvr"
type=$(gio info -a standard::content-type "$work/home/Music/mix.kvr" | sed -n 's/^ *standard::content-type: //p')
[[ $type == audio/x-kavora-playlist ]] || fail "gio reads mix.kvr as '$type'"
grep -q '^audio/x-kavora-playlist=.*org\.kavora\.Kavora\.desktop' /usr/share/applications/mimeinfo.cache ||
  fail "the desktop database does not offer Kavora for .kvr"
[[ $(man -w kavora) == /usr/share/man/man1/kavora.1.gz ]] || fail "man does not find kavora(1)"
step "the MIME database reads mix.kvr as $type"

# A player keeps the playlist types. GLib takes the first application that
# lists a type when the user chose none, directory by directory; the player's
# folder comes after the system's, so Kavora would come first if it listed
# them. Its own type stays Kavora's.
mkdir -p "$work/player/applications" "$work/bin"
printf '#!/bin/sh\n' >"$work/bin/test-player" && chmod +x "$work/bin/test-player"
player_types="audio/x-mpegurl;audio/x-scpls;application/xspf+xml;application/vnd.ms-wpl;audio/x-ms-asx;application/vnd.apple.mpegurl;"
printf '[Desktop Entry]\nType=Application\nName=Player\nExec=test-player %%U\nMimeType=%s\n' "$player_types" \
  >"$work/player/applications/test-player.desktop"
update-desktop-database "$work/player/applications"
default_for() {
  env PATH="$work/bin:$PATH" HOME="$work/home" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/home/.config" \
    XDG_DATA_DIRS="/usr/share:$work/player" gio mime "$1" | sed -n '1s/^Default application for “[^”]*”: //p'
}
for player_type in ${player_types//;/ }; do
  default=$(default_for "$player_type")
  [[ -n $default && $default != org.kavora.Kavora.desktop ]] ||
    fail "with a player installed, the default for $player_type is '$default'"
done
[[ $(default_for audio/x-kavora-playlist) == org.kavora.Kavora.desktop ]] ||
  fail "Kavora is not the default for its own .kvr playlists"
step "a player stays the default for ${player_types//;/ }"

purge
installed && fail "kavora is still installed after apt-get purge"
dpkg-query -W -f='${Status}' kavora 2>/dev/null | grep -qv 'not-installed' &&
  fail "dpkg still holds kavora: $(dpkg-query -W -f='${Status}' kavora)"
while read -r path; do
  [[ -e $path || -L $path ]] || continue
  # A folder that another package shares (/usr/share/man/man1) stays.
  [[ -d $path && ! -L $path ]] && dpkg-query -S "$path" >/dev/null 2>&1 && continue
  fail "apt-get purge left $path behind"
done <build/package/installed-files
grep -q kavora /usr/share/mime/globs2 && fail "the MIME database still knows *.kvr after the purge"
grep -q kavora /usr/share/applications/mimeinfo.cache && fail "the desktop database still lists Kavora after the purge"
step "apt-get purge left nothing behind"
echo "package-check: $passed passed, 0 failed"
