#!/usr/bin/env bash
# Makes a Wine prefix for running the project's Windows programs.
#
#   scripts/wine-prefix.sh win64|win32 DIR
#
#   win64  a 64-bit prefix, booted with wine64 (32-bit programs in it run
#          under WOW64 and need a machine that can execute 32-bit x86 code)
#   win32  a 32-bit prefix (WINEARCH=win32), booted with the 32-bit wine
#
# DIR must not exist, be an empty folder, or already be a prefix of the same
# kind; in the last case the prefix is kept and only the settings below are
# applied again, so running the script twice is harmless.  Anything else in
# DIR (a prefix of the other kind, other files) is refused with exit code 2
# and left untouched.
#
# Every Wine process runs with LC_ALL=de_DE.UTF-8 (code page 1252, German
# keyboard layout 00000407 in the user's Preload list) and WINEDEBUG=-all.
# The prefix gets:
#   - HKCU\Software\Wine\X11 Driver  Managed = "N"  (no 2-second wait when a
#     message box closes while no window manager runs);
#   - real folders instead of the links to $HOME that Wine makes for Desktop,
#     Documents and the other user folders under drive_c/users/*/, so that
#     nothing run in the prefix writes outside it.
# At the end the script waits for the prefix's processes (wineserver -w) and
# stops the prefix's own wineserver; other prefixes' servers are not touched.
#
# Exit codes: 0 done, 1 Wine failed, 2 usage or DIR refused, 3 this machine
# cannot run the kind asked for (no 32-bit x86 execution, Wine missing).
set -euo pipefail

usage() {
  echo "usage: $0 win64|win32 DIR" >&2
  exit 2
}

[ $# -eq 2 ] || usage
kind=$1
dir=$2
case "$kind" in
  win64 | win32) ;;
  *) usage ;;
esac

# shellcheck source=wine-tools.sh
source "$(dirname "$0")/wine-tools.sh"

if [ "$kind" = win64 ]; then
  loader=$(wine_loader_named wine64)
  arch=win64
else
  loader=$(wine_loader_named wine)
  arch=win32
fi
server=$(wine_server_path)
if [ -z "$loader" ] || [ -z "$server" ]; then
  echo "wine-prefix: no Wine for $kind on this machine (loader '${loader}', server '${server}')" >&2
  exit 3
fi
# A 32-bit prefix needs the machine to execute 32-bit x86 code.
if [ "$kind" = win32 ] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  echo "wine-prefix: this machine cannot execute 32-bit x86 code, so a win32 prefix cannot be made here" >&2
  exit 3
fi

# The kind of prefix in DIR: win32, win64, empty, none (no such folder) or other.
prefix_kind() {
  if [ ! -e "$1" ]; then
    echo none
  elif [ -d "$1" ] && [ -z "$(ls -A "$1")" ]; then
    echo empty
  elif [ -f "$1/system.reg" ] && [ -d "$1/drive_c" ]; then
    if grep -qx '#arch=win32' "$1/system.reg"; then echo win32; else echo win64; fi
  else
    echo other
  fi
}

found=$(prefix_kind "$dir")
case "$found" in
  none | empty) fresh=1 ;;
  "$arch") fresh=0 ;;
  win32 | win64)
    echo "wine-prefix: $dir is a $found prefix, not $arch; remove it first" >&2
    exit 2
    ;;
  *)
    echo "wine-prefix: $dir exists and is not a Wine prefix; refusing to touch it" >&2
    exit 2
    ;;
esac

mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

export WINEPREFIX="$dir"
export WINEARCH="$arch"
export WINEDEBUG=-all
export WINELOADER="$loader"
export WINESERVER="$server"
# No Mono or Gecko: they cannot be downloaded here and nothing needs them.
# No menu builder: it would write menu entries into the real $HOME.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# No display is needed to boot a prefix.
unset DISPLAY

# The locale is given to Wine alone: the shell itself may lack it.
wine_run() {
  env LC_ALL=de_DE.UTF-8 "$loader" "$@"
}

stop_server() {
  "$server" -k >/dev/null 2>&1 || true
}
trap 'stop_server' EXIT

if [ "$fresh" = 1 ]; then
  echo "wine-prefix: making a $arch prefix in $dir"
  wine_run wineboot --init >/dev/null 2>&1 || {
    echo "wine-prefix: wineboot failed in $dir" >&2
    exit 1
  }
  "$server" -w
fi

wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || {
  echo "wine-prefix: could not set X11 Driver\\Managed in $dir" >&2
  exit 1
}
"$server" -w

# The user folders that Wine links to $HOME become folders of the prefix.
for userdir in "$dir"/drive_c/users/*/; do
  [ -d "$userdir" ] || continue
  for link in "$userdir"*; do
    if [ -L "$link" ]; then
      rm -f "$link"
      mkdir -p "$link"
    fi
  done
  mkdir -p "$userdir/Desktop" "$userdir/Documents"
done

if ! grep -q '"Managed"="N"' "$dir/user.reg"; then
  echo "wine-prefix: X11 Driver\\Managed did not reach $dir/user.reg" >&2
  exit 1
fi
echo "wine-prefix: $arch prefix ready in $dir"
