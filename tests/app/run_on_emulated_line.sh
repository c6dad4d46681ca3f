#!/bin/sh
# Runs a scenario script against velmora-sim: starts the emulator on a line
# description, points the console at its terminal, stops the emulator afterwards.
#   run_on_emulated_line.sh VELMORA VELMORA_SIM LINE.ini SCRIPT.vms
set -u
app=$1 sim=$2 line=$3 script=$4
dir=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null; wait $sim_pid 2>/dev/null; rm -rf "$dir"' EXIT
"$sim" --config "$line" --link "$dir/line" >"$dir/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do [ -e "$dir/line" ] && break; sleep 0.05; done
[ -e "$dir/line" ] || { echo "the emulator did not start:"; cat "$dir/sim.out"; exit 1; }
"$app" --port "$dir/line" --script "$script"
