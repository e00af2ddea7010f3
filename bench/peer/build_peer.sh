#!/usr/bin/env bash
# Builds the benchmark's peer: the NSIS uninstaller of peer_uninstaller.nsi,
# for 32-bit (x86-unicode or x86-ansi) or 64-bit (amd64-unicode) Windows.
#
#   bench/peer/build_peer.sh BITS WORK OUT
#
# Each of NSIS's targets for the processor and each of its compressors is
# tried and the smallest uninstaller is kept: the peer is given its best size.
# OUT receives it; the last line printed is "TARGET/COMPRESSOR SIZE". WORK
# holds the intermediate files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
die() {
  echo "build_peer: $*" >&2
  exit 1
}
[ $# -eq 3 ] || die "usage: $0 BITS WORK OUT"
bits=$1 work=$2 out=$3
case "$bits" in
  32) targets='x86-unicode x86-ansi' ;;
  64) targets=amd64-unicode ;;
  *) die "BITS is 32 or 64, not $bits" ;;
esac
command -v makensis >/dev/null 2>&1 || die "makensis is missing (install it: scripts/install-deps.sh)"
mkdir -p "$work"

best='' best_size=''
for target in $targets; do for compressor in zlib bzip2 lzma; do
  uninstaller=$work/peer-$target-$compressor.exe
  rm -f "$uninstaller"
  makensis -V1 -INPUTCHARSET UTF8 -DTARGET="$target" -DCOMPRESSOR="$compressor" \
    -DINSTALLER="$work/peer-writer-$target-$compressor.exe" -DUNINSTALLER_COPY="$uninstaller" \
    "$here/peer_uninstaller.nsi" >/dev/null || die "makensis failed for $target/$compressor"
  [ -s "$uninstaller" ] || die "makensis handed over no uninstaller for $target/$compressor"
  size=$(stat -c %s "$uninstaller")
  if [ -z "$best_size" ] || [ "$size" -lt "$best_size" ]; then
    best=$target/$compressor best_size=$size
    cp "$uninstaller" "$out"
  fi
done; done
echo "$best $best_size"
