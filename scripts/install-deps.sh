#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks.  Safe to run again: it installs nothing when all is there.
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
want_pkg() { have_pkg "$1" || need+=("$1"); }

have_cmd cmake || need+=(cmake)
have_cmd ninja || need+=(ninja-build)
have_cmd g++ || need+=(g++)
have_cmd python3 || need+=(python3)
want_pkg clang
want_pkg clang-format                        # the project's C++ format, checked by the tests
want_pkg libclang-rt-14-dev                  # libFuzzer and the sanitizers for clang
want_pkg googletest                          # sources, built with mingw for the Windows tests
want_pkg libgtest-dev
want_pkg g++-mingw-w64-i686-win32            # the product: 32-bit, no winpthread
want_pkg g++-mingw-w64-x86-64-win32          # the same code 64-bit, for wine64
want_pkg binutils-mingw-w64-i686
want_pkg binutils-mingw-w64-x86-64
want_pkg xvfb
want_pkg x11-apps                            # xwd, for screenshots
want_pkg imagemagick                         # convert, for screenshots
want_pkg wine
want_pkg wine64
want_pkg nsis                                # makensis, for the peer of the benchmark

# The 32-bit Wine comes from the i386 architecture (multiarch).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need+=(wine32:i386)
elif ! have_pkg wine32:i386; then
  need+=(wine32:i386)
fi

[ ${#need[@]} -eq 0 ] && exit 0
echo "install-deps: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
