#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# and only those that are missing. Safe to run again. With --package also the
# tools that make and check the Debian package.
set -euo pipefail

packages=(
  build-essential cmake ninja-build clang
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 qt6-gtk-platformtheme
  libgtest-dev googletest
  libexpat1-dev libicu-dev
  fonts-liberation
  xvfb xauth x11-apps imagemagick
  desktop-file-utils appstream shared-mime-info groff-base
  strace
  dosfstools mtools fusefat
)
case ${1:-} in
  '') ;;
  # dpkg-shlibdeps (dpkg-dev) and file compute the package's Depends; gio
  # (libglib2.0-bin) reads the MIME database as a desktop does.
  --package) packages+=(dpkg-dev file lintian libglib2.0-bin) ;;
  *) echo "usage: $0 [--package]" >&2; exit 2 ;;
esac

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
