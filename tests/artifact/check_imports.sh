#!/usr/bin/env bash
# The program file imports only from the system's own DLLs: the C and C++
# runtimes are linked in, so nothing has to be shipped beside the program.
#   check_imports.sh OBJDUMP PROGRAM.exe
set -u
objdump=$1 program=$2
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll"

if [ ! -f "$program" ]; then
  echo "FAIL: no program file $program"
  exit 1
fi
headers=$("$objdump" -p "$program" 2>&1) || { echo "FAIL: $headers"; exit 1; }
dlls=$(sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
echo "imports: ${dlls//$'\n'/ }"

if [ -z "$dlls" ]; then
  echo "FAIL: no import table found"  # every Windows program imports kernel32
  exit 1
fi
status=0
for dll in $dlls; do
  case " $allowed " in
    *" $dll "*) ;;
    *) echo "FAIL: imports $dll, which is not one of: $allowed"; status=1 ;;
  esac
done
exit $status
