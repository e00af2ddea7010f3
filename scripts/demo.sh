#!/usr/bin/env bash
# The demo: builds the uninstaller, makes a fresh sandboxed Wine prefix in
# which the keyboard driver "DIN Varn AltGrLinks (V3.02 "Lindgriff")" is
# installed, and uninstalls it as a user would: the system's uninstall
# command starts Uninstall_Oskaldrv.exe from the product folder with the
# layout key a0010407, and the question is answered with "Ja".
#
#   scripts/demo.sh [DEMO_DIR [SHOTS_DIR]]
#
#   DEMO_DIR   default build/demo; the prefix is DEMO_DIR/prefix, made anew
#              each time, and nothing of the run is written outside DEMO_DIR
#   SHOTS_DIR  default DEMO_DIR/screenshots: pictures of each box and of the
#              status window (PNG)
#
# With a display ($DISPLAY) the boxes appear on it and you answer them (answer
# "Ja" to uninstall); the project's UI robot only watches and takes the
# pictures. Without one they appear on a private Xvfb and the robot answers
# "Ja" and "OK". Afterwards the demo prints what was installed before and
# what is left.
#
# The product is the 32-bit program, run in a 64-bit prefix as on 64-bit
# Windows. On a machine that cannot run 32-bit x86 code at all, the demo runs
# the same program code built for 64-bit Windows, and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo=$(realpath -m "${1:-$root/build/demo}")
shots=$(realpath -m "${2:-$demo/screenshots}")
# shellcheck source=../tests/e2e/e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"

bash "$root/scripts/install-deps.sh"
cd "$root"
build_targets() {  # preset
  cmake --preset "$1" >/dev/null &&
    cmake --build --preset "$1" --target Uninstall_Oskaldrv e2e_robot e2e_fixture_tool >/dev/null
}
echo "== building the uninstaller (build/win32/Uninstall_Oskaldrv.exe, the product)"
build_targets win32
build=win32 bits=32
if ! e2e_can_run_x86_32; then
  echo "== this machine cannot run 32-bit x86 code, so the product cannot run here:"
  echo "   the demo runs the same program code built for 64-bit Windows (build/win64) instead"
  build_targets win64
  build=win64 bits=64
fi
kind=win64
program=$root/build/$build/Uninstall_Oskaldrv.exe
file "$program"

echo "== a fresh $kind Wine prefix in $demo/prefix, with the product installed"
rm -rf "$demo/prefix" "$shots"
mkdir -p "$demo" "$shots"
bash "$root/tests/e2e/fixture.sh" prefix "$kind" "$demo/prefix" "$bits" "$root/build/$build/fixture_tool.exe" >/dev/null
prefix=$demo/prefix
program_files=$(e2e_program_files "$bits" "$kind")
cp "$program" "$prefix/drive_c/$program_files/Tessmar/Uninstall_Oskaldrv.exe"
work=$prefix/drive_c/demo
mkdir -p "$work/shots"
cp "$root/build/$build/robot.exe" "$root/build/$build/fixture_tool.exe" "$work/"

loader=$(e2e_wine_loader "$bits")
server=$(e2e_wine_server)
export WINEPREFIX=$prefix WINELOADER=$loader WINESERVER=$server WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset WINEARCH
xvfb_state=
# shellcheck disable=SC2317  # called by the trap
stop() {
  "$server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_state" ] && e2e_xvfb_stop "$xvfb_state"
  return 0
}
trap stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  robot_mode=(--watch --timeout 600)
  echo "== the boxes appear on your display $DISPLAY: answer \"Ja\" to uninstall"
else
  xvfb_state=$demo/xvfb.state
  e2e_xvfb_start "$xvfb_state" 1
  read -r _ DISPLAY <"$xvfb_state"
  export DISPLAY
  robot_mode=(--timeout 60)
  echo "== no display: the boxes appear on a private Xvfb ($DISPLAY), the UI robot answers them"
fi
wine() { (cd "$work" && LC_ALL=de_DE.UTF-8 "$loader" "$@"); }

# The product's files, as Windows paths.
product_files() {
  (cd "$prefix/drive_c" && find . -path ./demo -prune -o \( -iname '*oskaldrv*' -o -iname '*Schaubild*' \
    -o -iname Tessmar \) -print) |
    sed -e 's|^\./|C:\\|' -e 's|/|\\|g' | LC_ALL=C sort
}
# The registry as the product left it: the user's layout lists, the layout's
# catalogue key, the uninstall entry and files to be deleted at restart.
product_registry() {
  grep -E '^HKCU\\Keyboard Layout|Keyboard Layouts\\a0010407|Uninstall\\Tastaturbelegung DIN|PendingFileRename' "$1" || true
}
show() {  # title, registry dump, file list
  echo "== $1"
  echo "registry:"
  sed 's/^/  /' <(product_registry "$2")
  echo "files and folders:"
  sed 's/^/  /' "$3"
}

"$server" -p
wine 'C:\demo\fixture_tool.exe' dump 'C:\demo\before.txt'
product_files >"$demo/files.before"
show "installed before the uninstall" "$work/before.txt" "$demo/files.before"

printf '%s\n' "== the system's uninstall command: \"C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe\" a0010407"
started=$(date +%s%N)
wine 'C:\demo\robot.exe' "${robot_mode[@]}" --shots 'C:\demo\shots' 'C:\demo\transcript.txt' yes,ok -- \
  "C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe" a0010407 || echo "(the robot ended with exit code $?)"
echo "the program ran $((($(date +%s%N) - started) / 1000000)) ms; what the robot saw:"
sed 's/^/  /' "$work/transcript.txt"

wine 'C:\demo\fixture_tool.exe' dump 'C:\demo\after.txt'
"$server" -k
product_files >"$demo/files.after"
show "left after the uninstall" "$work/after.txt" "$demo/files.after"

# The pictures: box NN, its owner (the status window) and both together.
for bmp in "$work"/shots/*.bmp; do
  [ -e "$bmp" ] || continue
  convert "$bmp" -strip "$shots/$(basename "${bmp%.bmp}").png"
done
boxes=$(find "$shots" -name 'box*.png' | wc -l)
if [ "$boxes" -gt 0 ]; then
  last=$(printf '%02d' "$boxes")
  cp "$shots/box01.png" "$shots/question.png"
  [ -f "$shots/owner$last.png" ] && cp "$shots/owner$last.png" "$shots/status-window.png"
  [ "$boxes" -gt 1 ] && cp "$shots/box$last.png" "$shots/final-report.png"
fi
echo "== screenshots in $shots:"
echo "   question.png (the first box), final-report.png (the last box), status-window.png (behind the last box),"
echo "   boxNN.png, ownerNN.png and sceneNN.png for each box (the robot moves each box below the status window)"
ls "$shots"
