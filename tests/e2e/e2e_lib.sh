# shellcheck shell=bash
# Shared by the end-to-end scripts: which Wine to run, whether this machine can
# run 32-bit x86 code at all, Xvfb started and stopped by process id, and the
# copy of a prefix template. Sourced, not run.

# shellcheck source=../../scripts/wine-tools.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-tools.sh"

E2E_SKIP=77  # ctest's SKIP_RETURN_CODE for the end-to-end tests

e2e_die() {
  echo "e2e: $*" >&2
  exit 1
}

# Whether the kernel runs a 32-bit x86 program: a tiny static i386 ELF that
# only calls exit(42). Wine's 32-bit loader is such a program, and so is
# everything a PE32 program needs under Wine. A folder where nothing may be
# executed gives no answer and ends the script.
e2e_can_run_x86_32() {
  local probe out status
  probe=$(mktemp "${TMPDIR:-/tmp}/e2e-i386-probe.XXXXXX") || e2e_die "cannot write into ${TMPDIR:-/tmp}"
  # ELF header, one loadable segment at 0x08048000, then
  # mov eax,1 / mov ebx,42 / int 0x80.
  {
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'
    printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'
    printf '\270\001\000\000\000\273\052\000\000\000\315\200'
  } >"$probe"
  chmod +x "$probe"
  out=$(LC_ALL=C bash -c '"$1"' probe "$probe" 2>&1)
  status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ] && return 0
  case "$out" in
    *"Exec format error"*) return 1 ;;
  esac
  e2e_die "cannot tell whether 32-bit x86 code runs here: the probe in ${TMPDIR:-/tmp} gave exit code $status ($out)"
}

# Ends the calling script with the skip code when programs of BITS (32 or 64)
# cannot run here. Missing Wine is a fault of the machine's setup, not a skip.
e2e_require_bits() {
  local bits=$1
  if [ "$bits" = 32 ] && ! e2e_can_run_x86_32; then
    echo "SKIPPED: this machine cannot execute 32-bit x86 code, so the 32-bit program and Wine's 32-bit loader cannot run here"
    exit "$E2E_SKIP"
  fi
  [ -n "$(e2e_wine_loader "$bits")" ] ||
    e2e_die "no Wine loader for $bits-bit programs (install Wine: scripts/install-deps.sh)"
  [ -n "$(e2e_wine_server)" ] || e2e_die "no wineserver (install Wine: scripts/install-deps.sh)"
}

# The loader for programs of BITS. Debian keeps both outside PATH.
e2e_wine_loader() {
  if [ "$1" = 32 ]; then wine_loader_named wine; else wine_loader_named wine64; fi
}

e2e_wine_server() { wine_server_path; }

# Runs COMMAND with the environment of a Wine run of a BITS-bit program in
# PREFIX on DISPLAY (may be empty): that Wine's loader and server, no debug
# output, no Mono, Gecko or menu builder, the German locale. E2E_DLL_OVERRIDES
# adds entries to WINEDLLOVERRIDES (";name=n,b").
e2e_wine_env() {
  local prefix=$1 bits=$2 display=$3
  shift 3
  env -u WINEARCH WINEPREFIX="$prefix" WINELOADER="$(e2e_wine_loader "$bits")" WINESERVER="$(e2e_wine_server)" \
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d${E2E_DLL_OVERRIDES:-}" \
    LC_ALL=de_DE.UTF-8 DISPLAY="$display" "$@"
}

# The kind of a prefix folder: win32, win64 or nothing.
e2e_prefix_kind() {
  [ -f "$1/system.reg" ] && [ -d "$1/drive_c" ] || return 0
  if grep -qx '#arch=win32' "$1/system.reg"; then echo win32; else echo win64; fi
}

# Copies a prefix template. Program and library files are hard links: Wine
# only reads them, and the tests never write into a file the template holds.
# Everything else (registry files, ini files, ...) is a real copy, because
# Wine rewrites it in place.
e2e_copy_prefix() {
  local template=$1 copy=$2 file
  rm -rf "$copy"
  cp -al "$template" "$copy" || return 1
  while IFS= read -r -d '' file; do
    cp -p --remove-destination "$template/${file#"$copy"/}" "$file" || return 1
  done < <(find "$copy" -type f ! \( -iname '*.dll' -o -iname '*.exe' -o -iname '*.sys' -o -iname '*.drv' \
    -o -iname '*.ocx' -o -iname '*.cpl' -o -iname '*.acm' -o -iname '*.tlb' -o -iname '*.nls' \
    -o -iname '*.msstyles' -o -iname '*.ax' -o -iname '*.ds' -o -iname '*.com' \) -print0)
}

# Starts COUNT Xvfb servers, each on a display it picks itself and detached
# from the caller's output, and writes one line "PID :N" per server into
# STATE. Returns once they accept clients. Scenarios run side by side each
# take a display of their own (e2e_xvfb_claim): the robot reads icons off the
# screen, and boxes of two runs would cover each other.
e2e_xvfb_start() {
  local state=$1 count=${2:-1} fd_file pid display
  command -v Xvfb >/dev/null 2>&1 || e2e_die "Xvfb is missing (install it: scripts/install-deps.sh)"
  : >"$state"
  for _ in $(seq "$count"); do
    fd_file=$(mktemp "${TMPDIR:-/tmp}/e2e-xvfb.XXXXXX")
    # 24-bit colour: the robot compares icons pixel by pixel.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" </dev/null >/dev/null 2>&1 &
    pid=$!
    display=
    for _ in $(seq 100); do
      display=$(tr -dc '0-9' <"$fd_file")
      [ -n "$display" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    rm -f "$fd_file"
    if [ -z "$display" ]; then
      kill "$pid" 2>/dev/null
      e2e_xvfb_stop "$state"
      e2e_die "Xvfb did not start"
    fi
    echo "$pid :$display" >>"$state"
  done
}

# Stops the Xvfb servers recorded in STATE, each only if it is still the
# process that was started.
e2e_xvfb_stop() {
  local state=$1 pid display pids=()
  [ -f "$state" ] || return 0
  while read -r pid display; do
    [ -n "$pid" ] || continue
    # Ended already, the number may belong to someone else by now.
    [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] || continue
    kill "$pid" 2>/dev/null && pids+=("$pid")
  done <"$state"
  rm -f "$state" "$state".lock.*
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
  done
  return 0
}

# Takes one of the displays recorded in STATE for the rest of the calling
# script (a lock held on an open file descriptor) and sets E2E_DISPLAY to it;
# waits while all are taken. Returns 1 when STATE names no running Xvfb.
# shellcheck disable=SC2034  # E2E_DISPLAY is the result
e2e_xvfb_claim() {
  local state=$1 pid display alive
  E2E_DISPLAY=
  [ -f "$state" ] || return 1
  for _ in $(seq 3000); do
    alive=0
    while read -r pid display; do
      [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ] || continue
      alive=1
      exec {E2E_DISPLAY_LOCK}>"$state.lock.${display#:}"
      if flock -n "$E2E_DISPLAY_LOCK"; then
        E2E_DISPLAY=$display
        return 0
      fi
      exec {E2E_DISPLAY_LOCK}>&-
    done <"$state"
    [ "$alive" = 1 ] || return 1
    sleep 0.1
  done
  return 1
}

# The display of one run: DISPLAY if given, else one of the servers recorded
# in STATE (held for the rest of the calling script), else an Xvfb of the
# run's own, recorded in OWN_STATE. Sets E2E_DISPLAY, and E2E_OWN_XVFB to
# OWN_STATE when it started one (for e2e_xvfb_stop at the end), else empty.
e2e_pick_display() {  # DISPLAY STATE OWN_STATE
  E2E_OWN_XVFB=
  E2E_DISPLAY=$1
  [ -z "$E2E_DISPLAY" ] && [ -n "$2" ] && e2e_xvfb_claim "$2"
  if [ -z "$E2E_DISPLAY" ]; then
    E2E_OWN_XVFB=$3
    e2e_xvfb_start "$3" 1
    read -r _ E2E_DISPLAY <"$3"
  fi
  return 0
}

# The Program Files folder that a program of BITS sees in a prefix of KIND,
# as a folder name under drive_c.
e2e_program_files() {
  if [ "$1" = 32 ] && [ "$2" = win64 ]; then
    echo 'Program Files (x86)'
  else
    echo 'Program Files'
  fi
}

# The user's folder name under drive_c/users of a prefix.
e2e_prefix_user() {
  local folder user=
  for folder in "$1"/drive_c/users/*/; do
    folder=$(basename "$folder")
    [ "$folder" = Public ] || user=$folder
  done
  echo "$user"
}
