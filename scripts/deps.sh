#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
pkgs=(cmake make googletest g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth x11-utils
      imagemagick fonts-ipafont-gothic g++ clang clang-format libclang-rt-14-dev locales)
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
# The Japanese tests run Wine under LC_ALL=ja_JP.UTF-8 (code page 932). Without
# that locale on the machine, Wine falls back to ASCII file names and cannot
# make a file whose name holds Japanese or accented letters.
ja_locale() {
  locale -a 2>/dev/null | grep -qix 'ja_JP.utf-\?8' ||
    $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
ja_locale
