#!/usr/bin/env bash
# The program's manifest (DPI-aware, common controls 6, the supported Windows
# versions) must leave the status window where and as large as it is without
# it. Runs the product and the same program built without its manifest, each
# as the scenario "answered_no" (the question answered No: the status window
# owns the question box, and nothing is removed) with the robot recording the
# windows' rectangles, on the same display, and fails unless:
#   - both transcripts are those of the scenario;
#   - the status window's line, with its rectangle and client size, is the
#     same for both;
#   - its rectangle is the program's own: a quarter of the screen wide, a
#     sixth high, centred, for the size of the X screen;
#   - all of this again with the prefix set to 120 dots per inch (where only
#     the DPI awareness could make a difference), where the taller caption
#     must show that the setting took effect.
#
#   status_window_geometry.sh --program EXE --no-manifest EXE --robot EXE --tool EXE
#                             --bits 32|64 --prefix-kind win32|win64 --template DIR
#                             --work DIR [--display :N | --display-state FILE]
#
# The runs are run_scenario.sh's (with its --rects); their files stay in
# WORK/DPI.VARIANT/. Exit codes as run_scenario.sh's: 0 passed, 1 failed, 77
# the program cannot run on this machine.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

program='' no_manifest='' robot='' tool='' bits='' prefix_kind='' template='' work='' display='' display_state=''
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --no-manifest) no_manifest=$2; shift 2 ;;
    --robot) robot=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --bits) bits=$2; shift 2 ;;
    --prefix-kind) prefix_kind=$2; shift 2 ;;
    --template) template=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --display-state) display_state=$2; shift 2 ;;
    *) e2e_die "unknown option $1" ;;
  esac
done
for required in program no_manifest robot tool bits prefix_kind template work; do
  [ -n "${!required}" ] || e2e_die "--${required//_/-} is missing"
done
e2e_require_bits "$bits"
for file in "$program" "$no_manifest" "$robot" "$tool"; do
  [ -f "$file" ] || e2e_die "no file $file"
done

# Without this the test would compare the product with itself.
has_manifest() { LC_ALL=C grep -aqF 'urn:schemas-microsoft-com:asm.v1' "$1"; }
has_manifest "$program" || e2e_die "$program holds no manifest"
has_manifest "$no_manifest" && e2e_die "$no_manifest holds a manifest"

mkdir -p "$work"
work=$(cd "$work" && pwd)
high_dpi_template=$work/prefix-120dpi
own_xvfb=
# shellcheck disable=SC2317  # called by the trap
cleanup() {
  [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$high_dpi_template"
  [ -n "$own_xvfb" ] && e2e_xvfb_stop "$own_xvfb"
}
trap cleanup EXIT

# One display for all runs, held for the whole test.
e2e_pick_display "$display" "$display_state" "$work/xvfb.state"
display=$E2E_DISPLAY own_xvfb=$E2E_OWN_XVFB

# The screen's size as the X server has it: the width and height fields of
# the header of a picture of the root window (big-endian 32-bit numbers).
read -r _ _ _ _ screen_width screen_height < <(xwd -root -silent -display "$display" | head -c 24 |
  od -An -tu4 --endian=big | tr -s ' \n' '  ')
[ "${screen_width:-0}" -gt 0 ] && [ "${screen_height:-0}" -gt 0 ] ||
  e2e_die "cannot read the size of the screen of display $display (with xwd, from x11-apps)"
width=$((screen_width / 4))
height=$((screen_height / 6))
expected_place="at $(((screen_width - width) / 2)),$(((screen_height - height) / 2)) size ${width}x$height"

# A copy of the template with 120 dots per inch, set as the user would.
make_high_dpi_template() {
  e2e_copy_prefix "$template" "$high_dpi_template" || return 1
  e2e_wine_env "$high_dpi_template" "$bits" "" "$(e2e_wine_loader "$bits")" \
    reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 120 /f >/dev/null || return 1
  WINEPREFIX=$high_dpi_template timeout 60 "$(e2e_wine_server)" -w
}

# Runs one variant as the scenario; sets LINE to its status window's line.
run_variant() {  # DPI NAME EXE TEMPLATE
  local run=$work/$1dpi.$2 status lines
  bash "$here/run_scenario.sh" --program "$3" --robot "$robot" --tool "$tool" --bits "$bits" \
    --prefix-kind "$prefix_kind" --template "$4" --expected "$here/expected/answered_no.txt" \
    --work "$run" --answers no,ok --display "$display" --rects -- a0010407 >"$run.out" 2>&1
  status=$?
  if [ "$status" -ne 0 ]; then
    cat "$run.out"
    [ "$status" -eq "$E2E_SKIP" ] && exit "$E2E_SKIP"
    e2e_die "the run of $2 at $1 dpi failed"
  fi
  # The scenario shows one window: the status window. A second line would
  # mean that it moved or changed its size.
  lines=$(wc -l <"$run/rects.txt")
  LINE=$(head -n 1 "$run/rects.txt")
  if [ "$lines" -ne 1 ]; then
    cat "$run/rects.txt"
    e2e_die "$2 at $1 dpi: $lines window lines, expected the status window's once"
  fi
}

failed=0
client_at_96=
for dpi in 96 120; do
  run_template=$template
  if [ "$dpi" = 120 ]; then
    make_high_dpi_template || e2e_die "cannot make a prefix with 120 dpi in $high_dpi_template"
    run_template=$high_dpi_template
  fi
  run_variant "$dpi" manifest "$program" "$run_template"
  with=$LINE
  run_variant "$dpi" no_manifest "$no_manifest" "$run_template"
  without=$LINE
  echo "e2e: at $dpi dpi, with the manifest:    $with"
  echo "e2e: at $dpi dpi, without the manifest: $without"
  client=${with##*, client }
  if [ "$with" != "$without" ]; then
    echo "e2e: FAIL: at $dpi dpi the manifest changes the status window"
    failed=1
  fi
  if [[ $with != *", $expected_place, client "* ]]; then
    echo "e2e: FAIL: at $dpi dpi the status window is not $expected_place (screen ${screen_width}x$screen_height)"
    failed=1
  fi
  if [ "$dpi" = 96 ]; then
    client_at_96=$client
  elif [ "$client" = "$client_at_96" ]; then
    echo "e2e: FAIL: the client area is $client at 96 and at 120 dpi: the prefix's LogPixels did not take effect"
    failed=1
  fi
done
[ "$failed" = 0 ] && echo "e2e: the status window is $expected_place with and without the manifest, at 96 and 120 dpi"
exit "$failed"
