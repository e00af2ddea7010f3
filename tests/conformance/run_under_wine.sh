#!/usr/bin/env bash
# Runs the conformance program under Wine, for ctest.
#
#   run_under_wine.sh BITS PREFIX_KIND PREFIX_DIR EXPECT_WOW64 EXE [ARGS...]
#
#   BITS          32 or 64: how the program was built
#   PREFIX_KIND   win32 or win64 (scripts/wine-prefix.sh makes or reuses it)
#   EXPECT_WOW64  0 or 1, handed to the program as CONFORMANCE_EXPECT_WOW64
#
# Exits with the program's exit code, or 77 (SKIPPED) when this machine
# cannot execute 32-bit x86 code and the run needs it.
set -uo pipefail

if [ $# -lt 5 ]; then
  echo "usage: $0 BITS PREFIX_KIND PREFIX_DIR EXPECT_WOW64 EXE [ARGS...]" >&2
  exit 2
fi
bits=$1
kind=$2
prefix=$3
expect=$4
exe=$5
shift 5
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "$bits" = 32 ] || [ "$kind" = win32 ]; then
  if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "SKIPPED: this machine cannot execute 32-bit x86 code (probe: /lib/ld-linux.so.2 --version)," \
      "so the $bits-bit program cannot run in a $kind prefix here"
    exit 77
  fi
fi

# Debian keeps the loaders outside PATH; /usr/bin/wine prefers the 32-bit one.
if [ "$bits" = 64 ]; then
  loader=/usr/lib/wine/wine64
  [ -x "$loader" ] || loader=$(command -v wine64 || true)
else
  loader=/usr/lib/wine/wine
  [ -x "$loader" ] || loader=$(command -v wine || true)
fi
if [ -z "$loader" ] || [ ! -x "$loader" ]; then
  echo "no Wine loader for $bits-bit programs on this machine" >&2
  exit 1
fi
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=$(command -v wineserver)

mkdir -p "$(dirname "$prefix")"
bash "$root/scripts/wine-prefix.sh" "$kind" "$prefix" || exit 1

# The window tests need a display: a private Xvfb, ended after the run.
xvfb_pid=
stop_display() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null; }
trap stop_display EXIT
for display in $(seq 140 199); do
  [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
  Xvfb ":$display" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.1
  done
  if [ -e "/tmp/.X11-unix/X$display" ]; then
    export DISPLAY=":$display"
    break
  fi
  stop_display
  xvfb_pid=
done
[ -n "$xvfb_pid" ] || echo "no Xvfb display could be started: the window tests will skip" >&2

echo "running $exe ($bits-bit) in the $kind prefix $prefix, CONFORMANCE_EXPECT_WOW64=$expect"
WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=de_DE.UTF-8 WINEDLLOVERRIDES="mscoree=;mshtml=" \
  CONFORMANCE_EXPECT_WOW64="$expect" "$loader" "$exe" "$@"
status=$?
# Wait for every process of the prefix (the program's children too).
WINEPREFIX="$prefix" "$server" -w
exit $status
