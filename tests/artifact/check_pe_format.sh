#!/usr/bin/env bash
# The program file is a Windows GUI program in the expected PE format:
# pei-i386 (PE32, 32-bit x86) for the product, pei-x86-64 (PE32+) otherwise.
#   check_pe_format.sh OBJDUMP PROGRAM.exe FORMAT
set -u
objdump=$1 program=$2 expected_format=$3

if [ ! -f "$program" ]; then
  echo "FAIL: no program file $program"
  exit 1
fi
header=$("$objdump" -f "$program" 2>&1) || { echo "FAIL: $header"; exit 1; }
headers=$("$objdump" -p "$program" 2>&1) || { echo "FAIL: $headers"; exit 1; }

case $expected_format in
  pei-i386) expected_magic=010b ;;
  pei-x86-64) expected_magic=020b ;;
  *) echo "FAIL: unknown format $expected_format"; exit 1 ;;
esac

format=$(sed -n 's/.*file format \([^ ]*\).*/\1/p' <<<"$header")
magic=$(awk '$1 == "Magic" { print $2 }' <<<"$headers")
subsystem=$(awk '$1 == "Subsystem" { print $2 }' <<<"$headers")
echo "format: ${format:-?}, optional header magic: ${magic:-?}, subsystem: ${subsystem:-?}"

status=0
if [ "$format" != "$expected_format" ]; then
  echo "FAIL: file format is '$format', expected '$expected_format'"
  status=1
fi
if [ "$magic" != "$expected_magic" ]; then
  echo "FAIL: optional header magic is '$magic', expected '$expected_magic'"
  status=1
fi
if [ "$subsystem" != 00000002 ]; then  # IMAGE_SUBSYSTEM_WINDOWS_GUI
  echo "FAIL: subsystem is '$subsystem', expected 00000002 (Windows GUI)"
  status=1
fi
exit $status
