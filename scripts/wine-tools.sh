# shellcheck shell=bash
# Where Wine's programs are: Debian keeps its loaders outside PATH, and
# /usr/bin/wine prefers the 32-bit one. Sourced, not run.

# The loader named wine (32-bit programs) or wine64; nothing when missing.
wine_loader_named() {
  if [ -x "/usr/lib/wine/$1" ]; then
    echo "/usr/lib/wine/$1"
  elif command -v "$1" >/dev/null 2>&1; then
    command -v "$1"
  fi
}

# The wineserver; nothing when missing.
wine_server_path() {
  local candidate
  for candidate in /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver32 /usr/lib/wine/wineserver; do
    [ -x "$candidate" ] && { echo "$candidate"; return; }
  done
  command -v wineserver 2>/dev/null || true
}
