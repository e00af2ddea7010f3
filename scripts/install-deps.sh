#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks. Safe to run again: it does nothing when all is there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd g++ || need+=(g++)
have_cmd clang++ || need+=(clang)
have_pkg libclang-rt-14-dev || need+=(libclang-rt-14-dev)
have_cmd i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686-posix)
have_cmd i686-w64-mingw32-windres || need+=(binutils-mingw-w64-i686)
have_pkg googletest || need+=(googletest)
have_pkg libgtest-dev || need+=(libgtest-dev)
have_cmd Xvfb || need+=(xvfb)
have_cmd xwd || need+=(x11-apps)
have_cmd convert || need+=(imagemagick)
have_pkg wine64 || need+=(wine64)
have_pkg wine || need+=(wine)

# The 32-bit Wine comes from the i386 architecture (multiarch).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need+=(wine32:i386)
  updated=0
elif ! have_pkg wine32:i386; then
  need+=(wine32:i386)
fi

if [ ${#need[@]} -eq 0 ]; then
  exit 0
fi
echo "install-deps: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
