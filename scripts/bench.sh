#!/usr/bin/env bash
# The launch benchmark: "Zentrobe.exe -t0" with four simulated tuners against
# a baseline that only starts the player and waits for it. Prints figures.
# Usage: scripts/bench.sh [RUNS]   (default 41 of each, alternating)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib.sh
ensure_packages
build_everything >/dev/null

bench=build/bench
rm -rf "$bench" && mkdir -p "$bench"
cp build/x86_64/Zentrobe.exe "$bench/"
cp build/x86_64-tests/testbed/player/FriioView.exe "$bench/"

wine_prefix "$root/build/wineprefix"
wine_server_start
trap wine_server_stop EXIT
w() { echo "Z:$(echo "$1" | tr / '\\\\')"; }
wine build/x86_64-tests/bench/launch_bench.exe "$(w "$root/$bench")" \
  "$(w "$root/build/x86_64-tests/bench/baseline_launch.exe")" \
  "$(w "$root/build/x86_64-tests/testbed/driver/tunersim.sys")" "${1:-41}"
