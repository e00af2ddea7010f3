#!/usr/bin/env bash
# Builds the benchmark's peer: the NSIS uninstaller of peer_uninstaller.nsi,
# for 32-bit (x86-unicode) or 64-bit (amd64-unicode) Windows.
#
#   bench/peer/build_peer.sh BITS TEMPLATE WORK OUT
#
# NSIS writes an uninstaller only when an installer runs, so each candidate's
# installer is run (silently, under Wine) in a copy of the prefix TEMPLATE.
# Each of NSIS's compressors is tried and the smallest uninstaller is kept:
# the peer is given its best size. OUT receives it; the last line printed is
# "COMPRESSOR SIZE".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../tests/e2e/e2e_lib.sh
source "$here/../../tests/e2e/e2e_lib.sh"
[ $# -eq 4 ] || e2e_die "usage: $0 BITS TEMPLATE WORK OUT"
bits=$1 template=$2 work=$3 out=$4
case "$bits" in
  32) target=x86-unicode ;;
  64) target=amd64-unicode ;;
  *) e2e_die "BITS is 32 or 64, not $bits" ;;
esac
command -v makensis >/dev/null 2>&1 || e2e_die "makensis is missing (install it: scripts/install-deps.sh)"

mkdir -p "$work"
prefix=$work/peer-prefix
# shellcheck disable=SC2317  # called by the trap
cleanup() {
  [ -d "$prefix" ] && WINEPREFIX=$prefix "$(e2e_wine_server)" -k >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT
e2e_copy_prefix "$template" "$prefix" || e2e_die "cannot copy $template"
mkdir -p "$prefix/drive_c/peer"

best= best_size=
for compressor in zlib bzip2 lzma; do
  makensis -V1 -INPUTCHARSET UTF8 -DTARGET="$target" -DCOMPRESSOR="$compressor" \
    -DINSTALLER="$prefix/drive_c/peer/writer.exe" -DUNINSTALLER="uninstaller-$compressor.exe" \
    "$here/peer_uninstaller.nsi" >/dev/null || e2e_die "makensis failed for $target/$compressor"
  (cd "$prefix/drive_c/peer" && e2e_wine_env "$prefix" "$bits" "" "$(e2e_wine_loader "$bits")" 'C:\peer\writer.exe' /S) ||
    e2e_die "the NSIS installer ($target/$compressor) did not run"
  uninstaller=$prefix/drive_c/peer/uninstaller-$compressor.exe
  [ -s "$uninstaller" ] || e2e_die "the NSIS installer ($target/$compressor) wrote no uninstaller"
  size=$(stat -c %s "$uninstaller")
  if [ -z "$best_size" ] || [ "$size" -lt "$best_size" ]; then
    best=$compressor best_size=$size
    cp "$uninstaller" "$out"
  fi
done
echo "$best $best_size"
