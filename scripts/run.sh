#!/usr/bin/env bash
# `make run`: the console on a line of three emulated devices, or on a real port.
set -euo pipefail
build=${1:-build}
port=${2:-}
app="$build/src/app/velmora"
sim="$build/src/sim/velmora-sim"

# No display (a server, CI): draw offscreen rather than fail.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  export QT_QPA_PLATFORM=offscreen
  echo "run: no display found, drawing offscreen (set DISPLAY to see the window)"
fi

if [[ -n "$port" ]]; then
  exec "$app" --port "$port"
fi

line=$(mktemp -u /tmp/velmora-line.XXXXXX)
"$sim" --devices 3 --link "$line" &
sim_pid=$!
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do [[ -e "$line" ]] && break; sleep 0.1; done
[[ -e "$line" ]] || { echo "run: the emulator did not start" >&2; exit 1; }
echo "run: emulated line at $line"
"$app" --port "$line"
