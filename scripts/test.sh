#!/usr/bin/env bash
# Runs every test level from a fresh checkout on Debian 12:
#   1. unit and conformance tests on the simulated Windows (native, sanitizers);
#   2. the built Windows program itself (format, imports, resources, texts),
#      and the conformance and end-to-end tests of the 32-bit product under
#      Wine (32-bit and 64-bit prefixes; reported as skipped on a machine that
#      cannot run 32-bit x86 code);
#   3. the same program code built 64-bit, its conformance and end-to-end
#      tests under wine64;
#   4. a bounded libFuzzer run of the layout registry code (clang).
# Installs what it needs first.  Ends with one line that sums up all levels.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || exit 1

logs=$(mktemp -d)
failed_steps=0
passed=0
failed=0
skipped=0

run_level() {  # name
  local name=$1 log="$logs/$1.log"
  echo "== $name: configure and build"
  if ! { cmake --preset "$name" >"$logs/$name.configure.log" 2>&1 &&
         cmake --build --preset "$name" >"$logs/$name.build.log" 2>&1; }; then
    tail -n 40 "$logs/$name.configure.log" "$logs/$name.build.log" 2>/dev/null
    echo "== $name: build FAILED"
    failed_steps=$((failed_steps + 1))
    return
  fi
  echo "== $name: tests"
  ctest --preset "$name" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local total fails skips
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  fails=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
  skips=$(grep -c '(Skipped)$' "$log")
  total=${total:-0}
  fails=${fails:-0}
  passed=$((passed + total - fails - skips))
  failed=$((failed + fails))
  skipped=$((skipped + skips))
  [ "$status" -eq 0 ] || failed_steps=$((failed_steps + 1))
}

run_level sim
run_level fuzz
run_level win32
run_level win64

echo
echo "all levels: $passed passed, $failed failed, $skipped skipped"
[ "$failed_steps" -eq 0 ] && [ "$failed" -eq 0 ]
