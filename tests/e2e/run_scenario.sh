#!/usr/bin/env bash
# Runs one end-to-end scenario: the program under test, in a copy of a prefix
# template that holds the installed product, with the scenario's own changes
# on top, started by the UI robot under Wine on an X display. The robot's
# transcript, followed by what the run changed in the registry and in the
# files, must equal the expected transcript byte for byte.
#
#   run_scenario.sh --program EXE --robot EXE --tool EXE --bits 32|64
#                   --prefix-kind win32|win64 --template DIR --expected FILE
#                   --work DIR [--setup FILE] [--answers LIST] [--planted-dll FILE]
#                   [--display :N | --display-state FILE] [--rects]
#                   -- [PROGRAM ARGUMENTS...]
#
# The template is a prefix with the installed product (fixture.sh prefix):
# this script puts the program under test into it as the product's
# uninstaller, "Tessmar\Uninstall_Oskaldrv.exe" under the Program Files folder
# that the program sees (C:\Program Files (x86) for a 32-bit program in a
# 64-bit prefix). The robot, the fixture tool and the run's files live in
# C:\e2e.
#
# --setup FILE: changes to the installed product, in fixture_tool.exe's format
# (see fixture_tool.cpp), applied before the run. A line "before box N:" starts
# changes that the robot applies once box N is shown, before it answers it
# (the program has read the registry by then; Wine's own start-up writes into
# HKCU\Keyboard Layout\Preload, which a "lock" keeps out until then).
# Two more lines are this script's own:
#   run first|ANSWERS   before the scenario's run, the robot runs the program
#                       once from the product folder with the same arguments
#                       and these answers; its transcript is not compared, and
#                       the scenario's run is compared with the state it left
#   start|PATH          the scenario's run starts the program from PATH (a
#                       Windows path; %USERPROFILE% and %ProgramFiles% are
#                       expanded): the program is put there, its folders made,
#                       after the first run and before the files are listed
#   plant|PATH          --planted-dll is put at PATH (as start| expands it)
#                       before the files are listed; the DLL leaves
#                       PATH.loaded when a process loads it
#   native|NAME         Wine prefers a native NAME.dll to its own (as Windows
#                       loads whatever DLL of the name it finds)
#
# The comparison (the actual transcript is WORK/actual.txt):
#   - the robot's transcript, with the Program Files folder written as
#     %PROGRAMFILES% (the robot itself writes the profile folder as
#     %USERPROFILE%);
#   - "registry unchanged", or the lines of fixture_tool.exe's registry dump
#     that the run removed ("registry removed: ") and added ("registry added:
#     "), the uninstall key of the program's registry view written as
#     %UNINSTALL%;
#   - the files and folders of drive_c that the run added or removed.
# With --rects the robot records each window's place and size (its --rects);
# the window lines with them go into WORK/rects.txt, and the transcript is
# compared without them.
# Lines of the expected transcript that begin with "wow64: " count only for a
# 32-bit program in a 64-bit prefix, lines that begin with "not wow64: " only
# for the other set-ups; the prefix is dropped (WORK/expected.txt is the
# result).
#
# The display is --display, or one of the Xvfb servers that the display
# fixture recorded in --display-state (taken for this run alone); without
# either the script starts an Xvfb of its own and stops it at the end. WORK
# keeps the last run's transcript, dumps, robot output and diff; the prefix
# copy is removed unless E2E_KEEP=1.
#
# Exit codes: 0 the transcript matches, 1 it does not or the run failed,
# 77 the program cannot run on this machine (32-bit x86 code).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

program='' robot='' tool='' bits='' prefix_kind='' template='' expected='' work='' setup=''
answers=ok display='' display_state='' rects=0
first_answers='' start_path='' planted_dll='' plants=() native_dlls=''
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program=$2; shift 2 ;;
    --robot) robot=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --bits) bits=$2; shift 2 ;;
    --prefix-kind) prefix_kind=$2; shift 2 ;;
    --template) template=$2; shift 2 ;;
    --expected) expected=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --setup) setup=$2; shift 2 ;;
    --answers) answers=$2; shift 2 ;;
    --planted-dll) planted_dll=$2; shift 2 ;;
    --display) display=$2; shift 2 ;;
    --display-state) display_state=$2; shift 2 ;;
    --rects) rects=1; shift ;;
    --) shift; break ;;
    *) e2e_die "unknown option $1" ;;
  esac
done
for required in program robot tool bits prefix_kind template expected work; do
  [ -n "${!required}" ] || e2e_die "--${required//_/-} is missing"
done
args=("$@")

e2e_require_bits "$bits"
for file in "$program" "$robot" "$tool" "$expected" ${setup:+"$setup"}; do
  [ -f "$file" ] || e2e_die "no file $file"
done
[ "$(e2e_prefix_kind "$template")" = "$prefix_kind" ] ||
  e2e_die "$template is not a $prefix_kind prefix (the prefix fixture makes it: ctest runs it first)"

# What the program sees in this set-up.
wow64=0
[ "$bits" = 32 ] && [ "$prefix_kind" = win64 ] && wow64=1
program_files=$(e2e_program_files "$bits" "$prefix_kind")
if [ "$wow64" = 1 ]; then
  uninstall_key='HKLM\SOFTWARE\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall'
else
  uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
fi

loader=$(e2e_wine_loader "$bits")
server=$(e2e_wine_server)
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$work/prefix
rm -f "$work"/{actual,expected,diff,before.reg,after.reg,rects}.txt "$work"/{robot,setup,first}.out "$work"/{files,folders}.*
own_xvfb=

# Every Wine process of the run gets the display: the first one starts Wine's
# own processes (the desktop among them), which show the boxes on it.
wine_env() { E2E_DLL_OVERRIDES=$native_dlls e2e_wine_env "$prefix" "$bits" "$display" "$@"; }

# shellcheck disable=SC2317  # called by the trap
cleanup() {
  if [ -d "$prefix" ]; then
    WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1
    [ "${E2E_KEEP:-0}" = 1 ] || rm -rf "$prefix"
  fi
  [ -n "$own_xvfb" ] && e2e_xvfb_stop "$own_xvfb"
}
trap cleanup EXIT

e2e_pick_display "$display" "$display_state" "$work/xvfb.state"
display=$E2E_DISPLAY own_xvfb=$E2E_OWN_XVFB

e2e_copy_prefix "$template" "$prefix" || e2e_die "cannot copy $template to $prefix"
user=$(e2e_prefix_user "$prefix")
e2e=$prefix/drive_c/e2e
mkdir -p "$e2e"
cp "$program" "$prefix/drive_c/$program_files/Tessmar/Uninstall_Oskaldrv.exe" ||
  e2e_die "the template holds no product folder $program_files\\Tessmar"
cp "$robot" "$e2e/robot.exe"
cp "$tool" "$e2e/fixture_tool.exe"

# The scenario's changes: those before the run, and those for the robot to
# apply before it answers a box.
: >"$e2e/setup.txt"
hooks=()
robot_options=()
[ "$rects" = 1 ] && robot_options+=(--rects)
if [ -n "$setup" ]; then
  target=$e2e/setup.txt
  while IFS= read -r line || [ -n "$line" ]; do
    if [[ $line =~ ^run\ first\|(.+)$ ]]; then
      first_answers=${BASH_REMATCH[1]}
      continue
    fi
    if [[ $line =~ ^plant\|(.+)$ ]]; then
      plants+=("${BASH_REMATCH[1]}")
      continue
    fi
    if [[ $line =~ ^native\|(.+)$ ]]; then
      native_dlls+=";${BASH_REMATCH[1]}=n,b"
      continue
    fi
    if [[ $line =~ ^start\|(.+)$ ]]; then
      start_path=${BASH_REMATCH[1]}
      continue
    fi
    if [[ $line =~ ^before\ box\ ([0-9]+):$ ]]; then
      box=${BASH_REMATCH[1]}
      target=$e2e/box-$box.txt
      : >"$target"
      hooks+=(--before-box "$box" "C:\\e2e\\fixture_tool.exe apply C:\\e2e\\box-$box.txt")
      continue
    fi
    printf '%s\n' "$line" >>"$target"
  done <"$setup"
fi

# A Windows path of the setup lines as Wine takes it: %USERPROFILE% and
# %ProgramFiles% expanded, and in the charset Wine reads Unix file names and
# arguments in: that of the Unix locale, UTF-8 where LC_ALL's de_DE.UTF-8 is
# installed, one byte a character (Latin-1) where it is not.
wine_charset=UTF-8
LC_ALL=de_DE.UTF-8 locale charmap 2>/dev/null | grep -qi '^utf-\?8$' || wine_charset=ISO-8859-1
windows_path() {
  local path=${1//%USERPROFILE%/C:\\users\\$user}
  path=${path//%ProgramFiles%/C:\\$program_files}
  printf '%s' "$path" | iconv -f UTF-8 -t "$wine_charset" || e2e_die "$1 cannot be written in $wine_charset"
}
# The same path in the prefix's drive_c.
unix_path() {
  local path
  path=$(windows_path "$1") || return 1
  path=${path#C:\\}
  printf '%s/drive_c/%s' "$prefix" "${path//\\//}"
}

# Where the scenario's run starts the program.
program_windows="C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe"
program_unix=''
if [ -n "$start_path" ]; then
  program_windows=$(windows_path "$start_path") && program_unix=$(unix_path "$start_path") ||
    e2e_die "start|$start_path cannot be given to Wine"
fi

# The prefix's files and folders as Windows paths, with the user's profile
# folder and the program's Program Files folder written as variables.
list_entries() {  # find's -type: f or d
  (cd "$prefix/drive_c" && find . -path ./e2e -prune -o -mindepth 1 -type "$1" -print) |
    sed -e 's|^\./|C:\\|' -e 's|/|\\|g' \
        -e "s|^C:\\\\users\\\\$user\\\\|%USERPROFILE%\\\\|" \
        -e "s|^C:\\\\users\\\\$user\$|%USERPROFILE%|" \
        -e "s|^C:\\\\$program_files\\\\|%PROGRAMFILES%\\\\|" |
    LC_ALL=C sort
}

# One wineserver for the whole run: key security set by the fixture tool
# lives only as long as the server.
WINEPREFIX=$prefix "$server" -p

started=$(date +%s%N)
if ! (cd "$e2e" && wine_env "$loader" 'C:\e2e\fixture_tool.exe' apply 'C:\e2e\setup.txt' 'C:\e2e\before.txt') \
  >"$work/setup.out" 2>&1; then
  cat "$work/setup.out"
  e2e_die "the scenario's changes could not be applied"
fi
if [ -n "$first_answers" ]; then
  if ! (
    cd "$e2e" &&
      wine_env timeout 120 "$loader" 'C:\e2e\robot.exe' --timeout 60 'C:\e2e\first.txt' "$first_answers" -- \
        "C:\\$program_files\\Tessmar\\Uninstall_Oskaldrv.exe" "${args[@]}" &&
      wine_env "$loader" 'C:\e2e\fixture_tool.exe' dump 'C:\e2e\before.txt'
  ) >"$work/first.out" 2>&1; then
    cat "$work/first.out"
    e2e_die "the first run failed"
  fi
fi
if [ -n "$start_path" ]; then
  mkdir -p "$(dirname "$program_unix")" && cp "$program" "$program_unix" || e2e_die "cannot put the program at $start_path"
fi
for plant in "${plants[@]}"; do
  [ -f "$planted_dll" ] || e2e_die "plant|$plant needs --planted-dll"
  plant_unix=$(unix_path "$plant") || e2e_die "plant|$plant cannot be given to Wine"
  mkdir -p "$(dirname "$plant_unix")" && cp "$planted_dll" "$plant_unix" || e2e_die "cannot plant a DLL at $plant"
done
setup_ms=$((($(date +%s%N) - started) / 1000000))
list_entries f >"$work/files.before"
list_entries d >"$work/folders.before"

started=$(date +%s%N)
(
  cd "$e2e" &&
    wine_env timeout 120 "$loader" 'C:\e2e\robot.exe' --timeout 60 "${hooks[@]}" "${robot_options[@]}" \
      'C:\e2e\transcript.txt' "$answers" -- "$program_windows" "${args[@]}"
) >"$work/robot.out" 2>&1
robot_status=$?
robot_ms=$((($(date +%s%N) - started) / 1000000))

dump_status=0
(cd "$e2e" && wine_env "$loader" 'C:\e2e\fixture_tool.exe' dump 'C:\e2e\after.txt') >>"$work/robot.out" 2>&1 ||
  dump_status=1
touch "$e2e/release"  # ends a file holder
WINEPREFIX=$prefix "$server" -k >/dev/null 2>&1
list_entries f >"$work/files.after"
list_entries d >"$work/folders.after"

# Texts as the transcripts quote them: backslashes doubled.
quoted_program_files="C:\\\\${program_files}\\\\"
quoted_variable="%PROGRAMFILES%\\\\"
normalise() {
  local text
  text=$(cat)
  text=${text//"$quoted_program_files"/"$quoted_variable"}
  text=${text//"$uninstall_key"/%UNINSTALL%}
  printf '%s\n' "$text"
}
for dump in before after; do
  if [ -f "$e2e/$dump.txt" ]; then
    normalise <"$e2e/$dump.txt" | LC_ALL=C sort >"$work/$dump.reg.txt"
  else
    : >"$work/$dump.reg.txt"
  fi
done

actual=$work/actual.txt
if [ -s "$e2e/transcript.txt" ]; then
  normalise <"$e2e/transcript.txt" >"$actual"
else
  : >"$actual"
fi
if [ "$rects" = 1 ]; then
  geometry=', at -?[0-9]+,-?[0-9]+ size [0-9]+x[0-9]+, client [0-9]+x[0-9]+$'
  grep -E "^window of process .*$geometry" "$actual" >"$work/rects.txt"
  sed -i -E "/^window of process /s/$geometry//" "$actual"
fi
if cmp -s "$work/before.reg.txt" "$work/after.reg.txt"; then
  echo "registry unchanged" >>"$actual"
else
  LC_ALL=C comm -23 "$work/before.reg.txt" "$work/after.reg.txt" | sed 's/^/registry removed: /' >>"$actual"
  LC_ALL=C comm -13 "$work/before.reg.txt" "$work/after.reg.txt" | sed 's/^/registry added: /' >>"$actual"
fi
for kind in file folder; do
  LC_ALL=C comm -13 "$work/${kind}s.before" "$work/${kind}s.after" | sed "s/^/$kind added: /" >>"$actual"
  LC_ALL=C comm -23 "$work/${kind}s.before" "$work/${kind}s.after" | sed "s/^/$kind removed: /" >>"$actual"
done

# The expected transcript of this set-up.
expected_here=$work/expected.txt
if [ "$wow64" = 1 ]; then
  sed -e '/^not wow64: /d' -e 's/^wow64: //' "$expected" >"$expected_here"
else
  sed -e '/^wow64: /d' -e 's/^not wow64: //' "$expected" >"$expected_here"
fi

echo "e2e: changes applied in $setup_ms ms, robot ran $robot_ms ms (Wine $bits-bit, $prefix_kind prefix, display $display)"
status=0
if [ "$robot_status" -ne 0 ] || [ "$dump_status" -ne 0 ]; then
  echo "e2e: the robot ended with exit code $robot_status, the registry dump with $dump_status:"
  cat "$work/robot.out"
  status=1
fi
if ! cmp -s "$expected_here" "$actual"; then
  echo "e2e: the transcript differs from $expected:"
  diff -u --label expected --label actual "$expected_here" "$actual" | tee "$work/diff.txt"
  status=1
fi
[ "$status" -eq 0 ] && echo "e2e: transcript matches $expected"
exit "$status"
