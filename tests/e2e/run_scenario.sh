#!/usr/bin/env bash
# Runs one end-to-end scenario: the program under test, installed into a copy
# of a prefix template, started by the UI robot under Wine on an X display;
# the robot's transcript, followed by the files the run added or removed,
# must equal the expected transcript byte for byte.
#
#   run_scenario.sh --program EXE --robot EXE --bits 32|64 --prefix-kind win32|win64
#                   --template DIR --expected FILE --work DIR
#                   [--answers LIST] [--display :N | --display-state FILE]
#                   -- [PROGRAM ARGUMENTS...]
#
# The program is put where its installer puts it: the folder "Tessmar" under
# the Program Files folder that the program sees (C:\Program Files (x86) for a
# 32-bit program in a 64-bit prefix). The robot and its transcript live in
# C:\e2e. The display is --display, or one of the Xvfb servers that the
# display fixture recorded in --display-state (taken for this run alone);
# without either the script starts an Xvfb of its own and stops it at the end. WORK keeps the last run's transcript, robot output and diff; the
# prefix copy is removed unless E2E_KEEP=1.
#
# Exit codes: 0 the transcript matches, 1 it does not or the run failed,
# 77 the program cannot run on this machine (32-bit x86 code).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

program='' robot='' bits='' prefix_kind='' template='' expected='' work=''
answers=ok display='' display_state=
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --robot) robot=$2; shift 2 ;;
    --bits) bits=$2; shift 2 ;;
    --prefix-kind) prefix_kind=$2; shift 2 ;;
    --template) template=$2; shift 2 ;;
    --expected) expected=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --answers) answers=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --display-state) display_state=$2; shift 2 ;;
    --) shift; break ;;
    *) e2e_die "unknown option $1" ;;
  esac
done
for required in program robot bits prefix_kind template expected work; do
  [ -n "${!required}" ] || e2e_die "--${required//_/-} is missing"
done
args=("$@")

e2e_require_bits "$bits"
[ -f "$program" ] || e2e_die "no program file $program"
[ -f "$robot" ] || e2e_die "no robot $robot"
[ -f "$expected" ] || e2e_die "no expected transcript $expected"
[ "$(e2e_prefix_kind "$template")" = "$prefix_kind" ] ||
  e2e_die "$template is not a $prefix_kind prefix (the prefix fixture makes it: ctest runs it first)"

# Where the program sees Program Files.
if [ "$bits" = 32 ] && [ "$prefix_kind" = win64 ]; then
  program_files='Program Files (x86)'
else
  program_files='Program Files'
fi

loader=$(e2e_wine_loader "$bits")
server=$(e2e_wine_server)
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$work/prefix
own_xvfb=

# shellcheck disable=SC2317  # called by the trap
cleanup() {
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1
    [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$prefix"
  fi
  [ -n "$own_xvfb" ] && e2e_xvfb_stop "$own_xvfb"
}
trap cleanup EXIT

if [ -z "$display" ] && [ -n "$display_state" ] && e2e_xvfb_claim "$display_state"; then
  display=$E2E_DISPLAY
fi
if [ -z "$display" ]; then
  own_xvfb=$work/xvfb.state
  e2e_xvfb_start "$own_xvfb" 1
  read -r _ display <"$own_xvfb"
fi

e2e_copy_prefix "$template" "$prefix" || e2e_die "cannot copy $template to $prefix"
user=
for folder in "$prefix"/drive_c/users/*/; do
  folder=$(basename "$folder")
  [ "$folder" = Public ] || user=$folder
done
install_dir="$prefix/drive_c/$program_files/Tessmar"
mkdir -p "$install_dir" "$prefix/drive_c/e2e"
cp "$program" "$install_dir/Uninstall_Oskaldrv.exe"
cp "$robot" "$prefix/drive_c/e2e/robot.exe"

# The prefix's files as Windows paths, with the user's profile folder and the
# program's Program Files folder written as variables (as the robot does).
list_files() {
  (cd "$prefix/drive_c" && find . -path ./e2e -prune -o -type f -print) |
    sed -e 's|^\./|C:\\|' -e 's|/|\\|g' \
        -e "s|^C:\\\\users\\\\$user\\\\|%USERPROFILE%\\\\|" \
        -e "s|^C:\\\\$program_files\\\\|%PROGRAMFILES%\\\\|" |
    LC_ALL=C sort
}
list_files >"$work/files.before"

started=$(date +%s%N)
(
  cd "$prefix/drive_c/e2e" &&
    env -u WINEARCH WINEPREFIX="$prefix" WINELOADER="$loader" WINESERVER="$server" WINEDEBUG=-all \
      WINEDLLOVERRIDES="mscoree=;mshtml=" LC_ALL=de_DE.UTF-8 DISPLAY="$display" \
      timeout 120 "$loader" 'C:\e2e\robot.exe' --timeout 60 'C:\e2e\transcript.txt' "$answers" -- \
      "C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe" "${args[@]}"
) >"$work/robot.out" 2>&1
robot_status=$?
robot_ms=$((($(date +%s%N) - started) / 1000000))
WINEPREFIX=$prefix timeout 60 "$server" -w
waited_ms=$((($(date +%s%N) - started) / 1000000 - robot_ms))

list_files >"$work/files.after"
actual=$work/actual.txt
if [ -f "$prefix/drive_c/e2e/transcript.txt" ]; then
  cp "$prefix/drive_c/e2e/transcript.txt" "$actual"
else
  : >"$actual"
fi
LC_ALL=C comm -13 "$work/files.before" "$work/files.after" | sed 's/^/file added: /' >>"$actual"
LC_ALL=C comm -23 "$work/files.before" "$work/files.after" | sed 's/^/file removed: /' >>"$actual"

echo "e2e: robot ran $robot_ms ms, prefix ended $waited_ms ms later (Wine $bits-bit, $prefix_kind prefix, display $display)"
status=0
if [ "$robot_status" -ne 0 ]; then
  echo "e2e: the robot ended with exit code $robot_status:"
  cat "$work/robot.out"
  status=1
fi
if ! cmp -s "$expected" "$actual"; then
  echo "e2e: the transcript differs from $expected:"
  diff -u --label expected --label actual "$expected" "$actual" | tee "$work/diff.txt"
  status=1
else
  rm -f "$work/diff.txt"
fi
[ "$status" -eq 0 ] && echo "e2e: transcript matches $expected"
exit "$status"
