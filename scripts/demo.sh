#!/usr/bin/env bash
# The demo: builds the Windows program and runs it under Wine in a fresh,
# sandboxed prefix, started with an argument it must refuse (a layout key of
# seven characters), as the system's uninstall command might.
#
#   scripts/demo.sh [DEMO_DIR]      (default: build/demo)
#
# With a display ($DISPLAY) the box appears on it and waits for you; without
# one it appears on a private Xvfb, is saved as DEMO_DIR/refusal.png and
# closed. The prefix is DEMO_DIR/prefix, made anew each time.
#
# The product is the 32-bit program. On a machine that cannot run 32-bit x86
# code at all, the demo runs the same program code built for 64-bit Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$(realpath -m "${1:-$root/build/demo}")
# shellcheck source=../tests/e2e/e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"

bash "$root/scripts/install-deps.sh"
cd "$root"
echo "== building the Windows program"
cmake --preset win32 >/dev/null && cmake --build --preset win32 --target Uninstall_Oskaldrv >/dev/null
bits=32 kind=win32 program=$root/build/win32/Uninstall_Oskaldrv.exe
if ! e2e_can_run_x86_32; then
  echo "== this machine cannot run 32-bit x86 code: running the same program code built 64-bit"
  cmake --preset win64 >/dev/null && cmake --build --preset win64 --target Uninstall_Oskaldrv >/dev/null
  bits=64 kind=win64 program=$root/build/win64/Uninstall_Oskaldrv.exe
fi
file "$program"

echo "== a fresh $kind Wine prefix in $demo/prefix"
rm -rf "$demo/prefix"
mkdir -p "$demo"
bash "$root/scripts/wine-prefix.sh" "$kind" "$demo/prefix" >/dev/null
export WINEPREFIX=$demo/prefix WINEDEBUG=-all LC_ALL=de_DE.UTF-8
loader=$(e2e_wine_loader "$bits")
server=$(e2e_wine_server)
install_dir="$demo/prefix/drive_c/Program Files/Tessmar"
[ "$bits" = 32 ] && [ "$kind" = win64 ] && install_dir="$demo/prefix/drive_c/Program Files (x86)/Tessmar"
mkdir -p "$install_dir"
cp "$program" "$install_dir/Uninstall_Oskaldrv.exe"

echo "== starting Uninstall_Oskaldrv.exe d001040 (a key of seven characters)"
if [ -n "${DISPLAY:-}" ]; then
  "$loader" "$install_dir/Uninstall_Oskaldrv.exe" d001040
  echo "exit code: $?"
else
  xvfb_pid=
  for display in $(seq 120 139); do
    [ -e "/tmp/.X11-unix/X$display" ] && continue
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    [ -e "/tmp/.X11-unix/X$display" ] && break
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  [ -n "$xvfb_pid" ] || e2e_die "no Xvfb display could be started"
  export DISPLAY=:$display
  "$loader" "$install_dir/Uninstall_Oskaldrv.exe" d001040 &
  program_pid=$!
  sleep 6
  xwd -root -silent | convert xwd:- -trim +repage "$demo/refusal.png"
  echo "the box, as shown: $demo/refusal.png"
  "$server" -k || true
  wait "$program_pid" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
fi
"$server" -w || true
