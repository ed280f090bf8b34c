#!/usr/bin/env bash
# Zentrobe's benchmarks, printed as one table at the end: start to window and
# the command-line launch (each against a minimal baseline program), discovery
# scaling in-process, and the shipped executables' sizes and imports.
# Usage: scripts/bench.sh [RUNS]   (pairs per timed figure, default 41, alternating)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/lib.sh
ensure_packages
build_everything >/dev/null
runs=${1:-41}
tree=build/x86_64-tests

bench=build/bench
rm -rf "$bench" && mkdir -p "$bench"
cp "$(shipped_exe x86_64)" "$bench/"
cp $tree/testbed/player/FriioView.exe "$bench/"

wine_prefix "$root/build/wineprefix"
wine_server_start
trap wine_server_stop EXIT
driver=$(wine_path "$root/$tree/testbed/driver/tunersim.sys")

echo "== timing (a few minutes)" >&2
window=$(wine $tree/bench/window_bench.exe "$(wine_path "$root/$bench")" \
  "$(wine_path "$root/$tree/bench/baseline_window.exe")" \
  "$(wine_path "$root/$tree/bench/timeline_product.exe")" \
  "$(wine_path "$root/$tree/bench/timeline_baseline.exe")" "$driver" "$runs")
launch=$(wine $tree/bench/launch_bench.exe "$(wine_path "$root/$bench")" \
  "$(wine_path "$root/$tree/bench/baseline_launch.exe")" "$driver" "$runs")
discovery=$(wine $tree/bench/discovery_bench.exe "$driver")

sizes=""
for arch in x86_64 i686; do
  sizes+=$(printf '  %-7s %9s bytes   imports: %s' "$arch" "$(stat -c %s "$(shipped_exe $arch)")" \
    "$("$arch-w64-mingw32-objdump" -p "$(shipped_exe $arch)" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')")$'\n'
done

echo
echo "Zentrobe benchmarks (Wine $(wine --version | sed 's/wine-//'), medians; each pair alternates the order)"
printf '%-44s %10s %10s %7s   %-8s\n' "Figure" "Zentrobe" "baseline" "ratio" "goal"
echo "$window" | tr -d '\r' | head -n 1
echo "$launch" | tr -d '\r'
echo
echo "$window" | tr -d '\r' | tail -n +2
echo
echo "$discovery" | tr -d '\r'
echo
echo "Size of the shipped Zentrobe.exe (stripped as linked):"
printf '%s' "$sizes"
