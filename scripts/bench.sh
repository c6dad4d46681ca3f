#!/usr/bin/env bash
# `make bench`: every benchmark under the build's bench/ folder, one after another.
set -euo pipefail
build=${1:-build}
shopt -s nullglob
ran=0
for b in "$build"/bench/velmora-bench-*; do
  [[ -x "$b" ]] || continue
  echo "== $(basename "$b")"
  "$b"
  ran=1
done
[[ $ran -eq 1 ]] || echo "bench: no benchmarks built yet"
