#!/usr/bin/env bash
# shellcheck disable=SC2317  # the checks are called through the case table
# The artifact checks fail on faulty files, so that a check that can no longer
# see anything (a changed objdump output, a broken reader) does not pass
# silently: a console program linked to the C++ runtime DLLs, one that
# imports the calls that only some Windows versions have, and copies of the
# program with one fault each.
#   checks_reject_faults.sh OBJDUMP PROGRAM.exe FORMAT PROBE.exe PYTHON STATIC_PROBE.exe
set -u
objdump=$1 program=$2 format=$3 probe=$4 python=$5 static_probe=$6
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

pe_format() { bash "$here/check_pe_format.sh" "$objdump" "$1" "${2:-$format}"; }
imports() { bash "$here/check_imports.sh" "$objdump" "$1"; }
icon() { "$python" "$here/check_icon.py" "$1"; }
texts() { bash "$here/check_texts.sh" "$1"; }
manifest() { "$python" "$here/check_manifest.py" "$1"; }
version() { "$python" "$here/check_version.py" "$1"; }
# Fails only if the import check names each call the static probe imports, so
# that a misspelt name in its list shows.
each_run_time_call() {
  imports "$1" >"$work/calls" 2>&1 && { echo "passed"; return 0; }
  cat "$work/calls"
  for call in IsWow64Process Wow64DisableWow64FsRedirection Wow64RevertWow64FsRedirection \
    Wow64EnableWow64FsRedirection SetDefaultDllDirectories; do
    grep -q "FAIL: imports $call " "$work/calls" || { echo "not named: $call"; return 0; }
  done
  return 1
}

# Copies the program with every occurrence of one byte string replaced.
altered() {
  "$python" - "$program" "$2" "$3" "$work/$1.exe" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
old, new = bytes.fromhex(sys.argv[2]), bytes.fromhex(sys.argv[3])
if old not in data:
    sys.exit("bytes to alter not found: " + sys.argv[2])
open(sys.argv[4], "wb").write(data.replace(old, new))
PY
}

hex_utf16() { printf '%s' "$1" | iconv -f ASCII -t UTF-16LE | od -An -v -tx1 | tr -d ' \n'; }
hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
# The standard 16-colour palette as BGRA entries, as icon images store it.
standard_palette=00000000000080000080000000808000800000008000800080800000c0c0c000
standard_palette+=808080000000ff0000ff000000ffff00ff000000ff00ff00ffff0000ffffff00

# The faults are only meaningful if the unaltered program passes.
for check in pe_format imports icon texts manifest version; do
  if ! $check "$program" >"$work/out" 2>&1; then
    echo "FAIL: $check does not pass on the program itself:"
    cat "$work/out"
    exit 1
  fi
done

altered renamed_icon "$(hex_utf16 AAPROGRAMICON)" "$(hex_utf16 AAPROGRAMICOX)" || exit 1
altered other_palette "$standard_palette" "${standard_palette%ffffff00}fefefe00" || exit 1  # white made grey
altered utf8_text "$(printf 'g\xfcltigem' | od -An -v -tx1 | tr -d ' \n')" \
  "$(printf 'g\xc3\xbcltige' | od -An -v -tx1 | tr -d ' \n')" || exit 1
# The manifest: another level (padded to the same length), a misspelt
# Windows 10 id, the 2005 settings namespace misspelt (Windows would ignore
# dpiAware), common controls 5, broken XML.
altered as_invoker "$(hex 'level="requireAdministrator"')" "$(hex 'level="highestAvailable"    ')" || exit 1
altered windows10_id "$(hex 48fd50a15a9a)" "$(hex 48fd50a15a9b)" || exit 1
altered dpi_namespace "$(hex SMI/2005/WindowsSettings)" "$(hex SMI/2005/WindowsSettingz)" || exit 1
altered controls5 "$(hex 'version="6.0.0.0"')" "$(hex 'version="5.8.0.0"')" || exit 1
altered broken_xml "$(hex '</assembly>')" "$(hex '</assembly ')" || exit 1
# The version information: an English string table, a Unicode translation,
# another product name, fixed version 3.0.
altered english_table "$(hex_utf16 040704E4)" "$(hex_utf16 040904E4)" || exit 1
altered unicode_translation "$(hex_utf16 Translation)00000000""0704e404" "$(hex_utf16 Translation)00000000""0704b004" || exit 1
altered other_name "$(hex_utf16 Lindgriff)" "$(hex_utf16 Lindgraff)" || exit 1
altered version_3_0 bd04effe0000010002000300 bd04effe0000010000000300 || exit 1
if [ "$format" = pei-i386 ]; then other_format=pei-x86-64; else other_format=pei-i386; fi

# Each line: check, file, optional argument; each must fail.
cases=(
  "pe_format $probe"
  "pe_format $program $other_format"
  "imports $probe"
  "each_run_time_call $static_probe"
  "icon $probe"
  "icon $work/renamed_icon.exe"
  "icon $work/other_palette.exe"
  "texts $work/utf8_text.exe"
  "manifest $probe"
  "manifest $work/as_invoker.exe"
  "manifest $work/windows10_id.exe"
  "manifest $work/dpi_namespace.exe"
  "manifest $work/controls5.exe"
  "manifest $work/broken_xml.exe"
  "version $probe"
  "version $work/english_table.exe"
  "version $work/unicode_translation.exe"
  "version $work/other_name.exe"
  "version $work/version_3_0.exe"
)
status=0
for case in "${cases[@]}"; do
  # shellcheck disable=SC2086  # the case is split into its words on purpose
  if $case >"$work/out" 2>&1; then
    echo "FAIL: passed, but should have failed: $case"
    status=1
  else
    echo "rejected as it should: $case: $(grep -m1 FAIL "$work/out")"
  fi
done
exit $status
