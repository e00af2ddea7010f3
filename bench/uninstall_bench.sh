#!/usr/bin/env bash
# Benchmark (not a test): our uninstaller against a peer, side by side.
#
#   bench/uninstall_bench.sh [RUNS] [WORK_DIR]    (defaults: 5, build/bench)
#
# The peer is an NSIS uninstaller (bench/peer/peer_uninstaller.nsi, built
# with Debian's makensis by bench/peer/build_peer.sh, the smallest of NSIS's
# targets and compressors): it asks and reports with the same two boxes and removes the
# same driver file, layout key, desktop shortcut, product folder and uninstall
# entry, and it relocates itself into the temporary folder as ours does. It
# does not take the layout out of the user's layout lists nor renumber them
# (NSIS cannot without a plug-in): ours does more work.
#
# Sizes: our product (build/win32) and the same program code for 64-bit
# Windows (build/win64), each with the peer for the same processor.
#
# Time: for each set-up this machine can run (64-bit programs always; 32-bit
# ones under WOW64 where 32-bit x86 code runs), the two programs take turns,
# RUNS each, every run on a fresh copy of a 64-bit prefix with the product
# installed (tests/e2e/fixture.sh) and its wineserver and Wine's own processes
# already started (their start-up is not counted). The UI robot starts
# Uninstall_Oskaldrv.exe a0010407 from the product folder (where the peer
# stands in for ours) and answers "Ja" and "OK". Measured by the robot: from
# the start of the first instance until the final box is answered, and until
# every process has ended. Each run is checked: the final box reported the
# uninstall, and the driver file, the layout key, the shortcut, the product
# folder and the uninstall entry are gone. Medians, every run, and ours/peer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
work=$(realpath -m "${2:-$root/build/bench}")
# shellcheck source=../tests/e2e/e2e_lib.sh
source "$root/tests/e2e/e2e_lib.sh"
[[ $runs =~ ^[1-9][0-9]*$ ]] || e2e_die "usage: $0 [RUNS] [WORK_DIR]"

cd "$root"
bash scripts/install-deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target Uninstall_Oskaldrv e2e_robot e2e_fixture_tool >/dev/null
done

median() {  # numbers, one a line
  sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print int((v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

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

# What a complete uninstall leaves: none of these.
gone_check() {  # prefix bits program_files dump
  local p=$1 bits=$2 program_files=$3 dump=$4 user left=()
  user=$(e2e_prefix_user "$p")
  [ -e "$p/drive_c/$program_files/Tessmar" ] && left+=("the product folder")
  [ -e "$p/drive_c/users/$user/Desktop/Tastaturbelegung Varn (V3.02) Schaubild.LNK" ] && left+=("the shortcut")
  [ -e "$p/drive_c/windows/system32/Oskaldrv.DLL" ] && left+=("the driver file")
  [ "$bits" = 32 ] && [ -e "$p/drive_c/windows/syswow64/Oskaldrv.DLL" ] && left+=("the 32-bit driver file")
  grep -q 'Keyboard Layouts\\a0010407' "$dump" && left+=("the layout key")
  grep -q 'Uninstall\\Tastaturbelegung DIN Varn' "$dump" && left+=("the uninstall entry")
  [ ${#left[@]} -eq 0 ] || e2e_die "$5 left ${left[*]}"
}

# One measured run of EXE as the product's uninstaller: prints
# "ANSWERED_MS ENDED_MS".
measure() {  # bits template exe name
  local bits=$1 template=$2 exe=$3 name=$4 program_files out
  program_files=$(e2e_program_files "$bits" win64)
  prefix=$work/run
  e2e_copy_prefix "$template" "$prefix" || e2e_die "cannot copy $template"
  mkdir -p "$prefix/drive_c/bench"
  cp "$exe" "$prefix/drive_c/$program_files/Tessmar/Uninstall_Oskaldrv.exe"
  cp "build/$build/robot.exe" "build/$build/fixture_tool.exe" "$prefix/drive_c/bench/"
  WINEPREFIX=$prefix "$(e2e_wine_server)" -p
  wine_run() { (cd "$prefix/drive_c/bench" && e2e_wine_env "$prefix" "$bits" "$display" "$(e2e_wine_loader "$bits")" "$@"); }
  wine_run 'C:\bench\fixture_tool.exe' dump 'C:\bench\before.txt' >/dev/null 2>&1
  sleep 1  # Wine's own processes settle
  out=$(wine_run 'C:\bench\robot.exe' 'C:\bench\transcript.txt' yes,ok -- \
    "C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe" a0010407 2>&1) || e2e_die "$name: the run failed: $out"
  grep -q 'Folgender Tastatur-Treiber wurde deinstalliert' "$prefix/drive_c/bench/transcript.txt" ||
    e2e_die "$name: the uninstall did not complete: $(cat "$prefix/drive_c/bench/transcript.txt")"
  wine_run 'C:\bench\fixture_tool.exe' dump 'C:\bench\after.txt' >/dev/null 2>&1
  gone_check "$prefix" "$bits" "$program_files" "$prefix/drive_c/bench/after.txt" "$name"
  WINEPREFIX=$prefix "$(e2e_wine_server)" -k >/dev/null 2>&1
  rm -rf "$prefix"
  prefix=
  echo "$(sed -n 's/^robot: box 2 answered \([0-9]*\) ms.*/\1/p' <<<"$out") $(sed -n 's/^robot: every process ended \([0-9]*\) ms.*/\1/p' <<<"$out")"
}

sizes=()
timings=()
for build in win32 win64; do
  bits=64
  [ "$build" = win32 ] && bits=32
  ours=build/$build/Uninstall_Oskaldrv.exe
  ours_size=$(stat -c %s "$ours")
  what="$bits-bit"
  [ "$build" = win32 ] && what="32-bit, the product"
  peer=$work/peer-$build.exe
  bash bench/peer/build_peer.sh "$bits" "$work/peer" "$peer" >"$work/result"
  read -r peer_kind peer_size < <(tail -n 1 "$work/result")
  sizes+=("$(printf '  ours (%s): %d bytes  %s' "$what" "$ours_size" "$ours")")
  sizes+=("$(printf '  peer (%s-bit, NSIS %s, %s): %d bytes' "$bits" "$(makensis -VERSION)" "$peer_kind" "$peer_size")")
  sizes+=("  size ours/peer, $bits-bit: $(ratio "$ours_size" "$peer_size")")
  if [ "$bits" = 32 ] && ! e2e_can_run_x86_32; then
    timings+=("== $bits-bit programs: not timed, this machine cannot run 32-bit x86 code")
    continue
  fi
  template=$work/prefix-$build
  rm -rf "$template"
  bash tests/e2e/fixture.sh prefix win64 "$template" "$bits" "build/$build/fixture_tool.exe" >/dev/null

  ours_answered=() ours_ended=() peer_answered=() peer_ended=()
  for _ in $(seq "$runs"); do
    measure "$bits" "$template" "$ours" ours >"$work/result"
    read -r a e <"$work/result"
    ours_answered+=("$a") ours_ended+=("$e")
    measure "$bits" "$template" "$peer" peer >"$work/result"
    read -r a e <"$work/result"
    peer_answered+=("$a") peer_ended+=("$e")
  done
  rm -rf "$template"
  oa=$(printf '%s\n' "${ours_answered[@]}" | median) pa=$(printf '%s\n' "${peer_answered[@]}" | median)
  oe=$(printf '%s\n' "${ours_ended[@]}" | median) pe=$(printf '%s\n' "${peer_ended[@]}" | median)
  timings+=("== $bits-bit programs under Wine (64-bit prefix), $runs runs each, taking turns, each on a fresh prefix copy"
    "   first instance started -> final box answered:"
    "     ours median $oa ms (runs: ${ours_answered[*]})"
    "     peer median $pa ms (runs: ${peer_answered[*]})"
    "     ours/peer $(ratio "$oa" "$pa")"
    "   first instance started -> every process ended:"
    "     ours median $oe ms (runs: ${ours_ended[*]})"
    "     peer median $pe ms (runs: ${peer_ended[*]})"
    "     ours/peer $(ratio "$oe" "$pe")")
done

echo "== file size of the uninstaller"
printf '%s\n' "${sizes[@]}" "${timings[@]}"
