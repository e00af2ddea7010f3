#!/usr/bin/env bash
# Benchmark (not a test): the uninstaller's file size, and the wall time of a
# complete two-process uninstall under Wine.
#
#   bench/uninstall_bench.sh [RUNS] [WORK_DIR]    (defaults: 5, build/bench)
#
# Sizes: build/win32/Uninstall_Oskaldrv.exe (the product) and
# build/win64/Uninstall_Oskaldrv.exe (the same program code for 64-bit
# Windows), both built first.
#
# Time: each run takes a fresh copy of a 64-bit prefix with the product
# installed (tests/e2e/fixture.sh), starts its wineserver and Wine's own
# processes (so that their start-up is not counted), then has the UI robot
# start Uninstall_Oskaldrv.exe a0010407 from the product folder and answer
# "Ja" and "OK". Measured by the robot: from the start of the first instance
# until the final box is answered, and until every process has ended. The
# report gives the median and every run. The program runs where this machine
# can: the product in the 64-bit prefix (WOW64) when it can run 32-bit x86
# code, the 64-bit build always.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
work=$(realpath -m "${2:-$root/build/bench}")
# shellcheck source=../tests/e2e/e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"
[[ $runs =~ ^[1-9][0-9]*$ ]] || e2e_die "usage: $0 [RUNS] [WORK_DIR]"

cd "$root"
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Uninstall_Oskaldrv e2e_robot e2e_fixture_tool >/dev/null
done

echo "== file size of Uninstall_Oskaldrv.exe"
for build in win32 win64; do
  exe=build/$build/Uninstall_Oskaldrv.exe
  what="the same program code, 64-bit"
  [ "$build" = win32 ] && what="the product, 32-bit"
  printf '  %-36s %8d bytes  (%s)\n' "$exe" "$(stat -c %s "$exe")" "$what"
done

median() {  # numbers, one a line
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

xvfb_state=$work/xvfb.state
prefix=
# shellcheck disable=SC2317  # called by the trap
stop() {
  [ -n "$prefix" ] && [ -d "$prefix" ] && WINEPREFIX=$prefix "$(e2e_wine_server)" -k >/dev/null 2>&1
  [ -n "$prefix" ] && rm -rf "$prefix"
  e2e_xvfb_stop "$xvfb_state"
}
trap stop EXIT
mkdir -p "$work"
e2e_xvfb_start "$xvfb_state" 1
read -r _ display <"$xvfb_state"

# One measured run: prints "ANSWERED_MS ENDED_MS".
measure() {  # bits template
  local bits=$1 template=$2 loader server program_files out
  loader=$(e2e_wine_loader "$bits")
  server=$(e2e_wine_server)
  program_files=$(e2e_program_files "$bits" win64)
  prefix=$work/run
  e2e_copy_prefix "$template" "$prefix" || e2e_die "cannot copy $template"
  mkdir -p "$prefix/drive_c/bench"
  cp "build/$build/Uninstall_Oskaldrv.exe" "$prefix/drive_c/$program_files/Tessmar/"
  cp "build/$build/robot.exe" "build/$build/fixture_tool.exe" "$prefix/drive_c/bench/"
  WINEPREFIX=$prefix "$server" -p
  wine_run() {
    (cd "$prefix/drive_c/bench" && env -u WINEARCH WINEPREFIX="$prefix" WINELOADER="$loader" WINESERVER="$server" \
      WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d" LC_ALL=de_DE.UTF-8 DISPLAY="$display" "$loader" "$@")
  }
  wine_run 'C:\bench\fixture_tool.exe' dump 'C:\bench\before.txt' >/dev/null 2>&1
  sleep 1  # Wine's own processes settle
  out=$(wine_run 'C:\bench\robot.exe' 'C:\bench\transcript.txt' yes,ok -- \
    "C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe" a0010407 2>&1) || e2e_die "the run failed: $out"
  grep -q 'Folgender Tastatur-Treiber wurde deinstalliert' "$prefix/drive_c/bench/transcript.txt" ||
    e2e_die "the uninstall did not complete: $(cat "$prefix/drive_c/bench/transcript.txt")"
  WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1
  rm -rf "$prefix"
  prefix=
  echo "$(sed -n 's/^robot: box 2 answered \([0-9]*\) ms.*/\1/p' <<<"$out") $(sed -n 's/^robot: every process ended \([0-9]*\) ms.*/\1/p' <<<"$out")"
}

for build in win32 win64; do
  bits=64
  [ "$build" = win32 ] && bits=32
  if [ "$bits" = 32 ] && ! e2e_can_run_x86_32; then
    echo "== build/win32 (the product): not timed, this machine cannot run 32-bit x86 code"
    continue
  fi
  template=$work/prefix-$build
  rm -rf "$template"
  bash tests/e2e/fixture.sh prefix win64 "$template" "$bits" "build/$build/fixture_tool.exe" >/dev/null
  answered=() ended=()
  for _ in $(seq "$runs"); do
    measure "$bits" "$template" >"$work/result"
    read -r a e <"$work/result"
    answered+=("$a")
    ended+=("$e")
  done
  rm -rf "$template"
  echo "== build/$build under Wine ($bits-bit program, 64-bit prefix), $runs runs, each on a fresh prefix copy"
  echo "   first instance started -> final box answered: median $(printf '%s\n' "${answered[@]}" | median) ms" \
    "(runs: ${answered[*]})"
  echo "   first instance started -> every process ended: median $(printf '%s\n' "${ended[@]}" | median) ms" \
    "(runs: ${ended[*]})"
done
