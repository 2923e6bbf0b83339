#!/usr/bin/env bash
# Start-up and peak memory of the program against a bare Qt window built in
# the same tree, launched alternately on Xvfb; medians and ratios.
# Usage: startup_benchmark.sh [BUILD_DIR] [LAUNCHES]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
launches=${2:-15}
settle_ms=500

source tests/e2e/driver.sh
trap 'e2e_stop_display' EXIT
e2e_start_display

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

declare -A ms kib
for ((i = 0; i < launches; i++)); do
  for who in program bare; do
    [[ $who == program ]] && exe=$build/bin/quadrangler || exe=$build/bench/bare_window
    read -r t m < <("$build/bench/map_watcher" "$settle_ms" "$exe")
    ms[$who]+="$t"$'\n'
    kib[$who]+="$m"$'\n'
  done
done

for who in program bare; do
  printf '%-8s start-up %7.2f ms   peak RSS %7d KiB   (median of %d)\n' "$who" \
    "$(median <<<"${ms[$who]%$'\n'}")" "$(median <<<"${kib[$who]%$'\n'}")" "$launches"
done
p_ms=$(median <<<"${ms[program]%$'\n'}") b_ms=$(median <<<"${ms[bare]%$'\n'}")
p_kib=$(median <<<"${kib[program]%$'\n'}") b_kib=$(median <<<"${kib[bare]%$'\n'}")
awk -v a="$p_ms" -v b="$b_ms" 'BEGIN {printf "start-up ratio    %.3f (goal <= 1.15)\n", a / b}'
awk -v a="$p_kib" -v b="$b_kib" 'BEGIN {printf "peak memory ratio %.3f (goal <= 1.10)\n", a / b}'
