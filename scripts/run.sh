#!/usr/bin/env bash
# Installs what is missing, builds, and starts the terminal: ports 1-15 are the machine's own
# (the fixed table), port 16 is the unit simulator. Everything it makes goes when it ends.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Brenix Terminal needs a display, and neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
  exit 1
fi
scripts/install-deps.sh
scripts/build.sh

ports=$(mktemp -d)
unit=
cleanup() {
  if [ -n "$unit" ]; then
    kill "$unit" 2>/dev/null || true
    wait "$unit" 2>/dev/null || true
  fi
  rm -rf "$ports"
}
trap cleanup EXIT
for n in $(seq 1 15); do
  if [ "$n" -le 4 ]; then dev=/dev/ttyS$((n - 1))
  elif [ "$n" -le 12 ]; then dev=/dev/ttyUSB$((n - 5))
  else dev=/dev/ttyACM$((n - 13)); fi
  ln -s "$dev" "$ports/com$n"
done
# The simulator's console is this terminal: 'p' and Enter powers the unit on.
if [ -t 0 ]; then input=/dev/tty; else input=/dev/null; fi
build/tools/brenix-unit "$ports/com16" <"$input" &
unit=$!
for _ in $(seq 50); do [ -e "$ports/com16" ] && break; sleep 0.1; done
BRENIX_PORT_DIR="$ports" build/src/brenix-terminal
