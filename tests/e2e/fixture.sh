#!/usr/bin/env bash
# The shared parts of an end-to-end test run, made once per run by ctest
# fixtures:
#
#   fixture.sh display-start STATE BITS [COUNT]
#                                         start COUNT Xvfb servers (default 2, one
#                                         per scenario run side by side), record
#                                         "PID :N" for each in STATE
#   fixture.sh display-stop STATE         stop those servers (and only those)
#   fixture.sh prefix KIND DIR BITS [TOOL]
#                                         make a fresh prefix template in DIR;
#                                         with TOOL (fixture_tool.exe, built for
#                                         BITS) install the product into it as
#                                         installed_product.txt describes
#
# BITS is the program's (32 or 64): on a machine that cannot run it, the
# setups end with the skip code and make nothing.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh
source "$here/e2e_lib.sh"

# Lays out what the product's installer leaves, with the fixture tool run in
# the prefix; the registry files are written when the prefix's server ends.
install_product() {
  local kind=$1 dir=$2 bits=$3 tool=$4 loader server
  loader=$(e2e_wine_loader "$bits")
  server=$(e2e_wine_server)
  mkdir -p "$dir/drive_c/e2e"
  cp "$tool" "$dir/drive_c/e2e/fixture_tool.exe" &&
    cp "$here/installed_product.txt" "$dir/drive_c/e2e/" || return 1
  (cd "$dir/drive_c/e2e" &&
    e2e_wine_env "$dir" "$bits" "" "$loader" 'C:\e2e\fixture_tool.exe' apply 'C:\e2e\installed_product.txt') || return 1
  WINEPREFIX=$dir timeout 60 "$server" -w
  rm -rf "$dir/drive_c/e2e"
  # What the program sees must be there.
  [ -d "$dir/drive_c/$(e2e_program_files "$bits" "$kind")/Tessmar" ] &&
    grep -q 'Keyboard Layouts\\\\a0010407' "$dir/system.reg"
}

case "${1:-}" in
  display-start)
    [ $# -eq 3 ] || [ $# -eq 4 ] || e2e_die "usage: $0 display-start STATE BITS [COUNT]"
    e2e_xvfb_stop "$2"  # left behind by an interrupted run
    e2e_require_bits "$3"
    mkdir -p "$(dirname "$2")"
    e2e_xvfb_start "$2" "${4:-2}"
    echo "e2e: Xvfb (pid display): $(tr '\n' ' ' <"$2")"
    ;;
  display-stop)
    [ $# -eq 2 ] || e2e_die "usage: $0 display-stop STATE"
    e2e_xvfb_stop "$2"
    ;;
  prefix)
    [ $# -eq 4 ] || [ $# -eq 5 ] || e2e_die "usage: $0 prefix KIND DIR BITS [TOOL]"
    kind=$2 dir=$3 bits=$4 tool=${5:-}
    e2e_require_bits "$bits"
    if [ "$kind" = win32 ] && ! e2e_can_run_x86_32; then
      echo "SKIPPED: this machine cannot execute 32-bit x86 code, so no 32-bit prefix can be made here"
      exit "$E2E_SKIP"
    fi
    rm -rf "$dir"
    mkdir -p "$(dirname "$dir")"
    start=$SECONDS
    bash "$here/../../scripts/wine-prefix.sh" "$kind" "$dir" || e2e_die "scripts/wine-prefix.sh $kind $dir failed"
    echo "e2e: $kind prefix template made in $((SECONDS - start)) s"
    if [ -n "$tool" ]; then
      start=$SECONDS
      install_product "$kind" "$dir" "$bits" "$tool" || e2e_die "the product could not be installed into $dir"
      echo "e2e: product installed in $((SECONDS - start)) s"
    fi
    ;;
  *)
    e2e_die "usage: $0 display-start STATE BITS [COUNT] | display-stop STATE | prefix KIND DIR BITS [TOOL]"
    ;;
esac
