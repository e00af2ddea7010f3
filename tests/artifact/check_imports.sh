#!/usr/bin/env bash
# The program file imports only from the system's own DLLs: the C and C++
# runtimes are linked in, so nothing has to be shipped beside the program.
# Nor does it import, at load time, a call that only some Windows versions
# have: the program looks those up at run time, or it would not start where
# they are missing.
#   check_imports.sh OBJDUMP PROGRAM.exe
set -u
objdump=$1 program=$2
allowed="kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll msvcrt.dll"
run_time_only="IsWow64Process Wow64DisableWow64FsRedirection Wow64RevertWow64FsRedirection
  Wow64EnableWow64FsRedirection SetDefaultDllDirectories"

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

# The entries under each "DLL Name:": a tab, the entry's address, a tab, the
# hint and the call's name.
calls=$(awk '/^The Import Tables/ { inside = 1; next }
             /^[^ \t]/ { inside = 0 }
             inside && /^\t[0-9a-f]+\t/ { print $3 }' <<<"$headers")
echo "$(wc -w <<<"$calls") calls imported at load time"
if [ -z "$calls" ]; then
  echo "FAIL: no imported calls found"
  status=1
fi
for call in $run_time_only; do
  if grep -qxF -- "$call" <<<"$calls"; then
    echo "FAIL: imports $call at load time; it must be looked up at run time"
    status=1
  fi
done
exit $status
