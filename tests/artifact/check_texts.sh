#!/usr/bin/env bash
# The program's German texts are stored in code page 1252 (the sources are
# UTF-8 and the compiler converts them): their CP1252 bytes are in the
# program file and their UTF-8 bytes are not.
#   check_texts.sh PROGRAM.exe
set -u
program=$1

present=(
  'Deinstallationsprogramm nicht mit g\xfcltigem Registry-Key die Tastatur aufgerufen (Angabe fehlt)'
  '(L\xe4nge nicht 8 Zeichen)'
  '(Schl\xfcssel f\xfcr Standardtastatur: nicht deinstallierbar)'
)
absent=(
  'g\xc3\xbcltigem'
  'L\xc3\xa4nge'
  'Schl\xc3\xbcssel f\xc3\xbcr'
)

if [ ! -f "$program" ]; then
  echo "FAIL: no program file $program"
  exit 1
fi
export LC_ALL=C  # byte-wise matching
status=0
for text in "${present[@]}"; do
  if ! grep -qaF -- "$(printf '%b' "$text")" "$program"; then
    echo "FAIL: missing in code page 1252: $text"
    status=1
  fi
done
for text in "${absent[@]}"; do
  if grep -qaF -- "$(printf '%b' "$text")" "$program"; then
    echo "FAIL: present in UTF-8: $text"
    status=1
  fi
done
[ $status -eq 0 ] && echo "all ${#present[@]} texts in code page 1252, none in UTF-8"
exit $status
