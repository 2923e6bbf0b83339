#!/usr/bin/env bash
# Start-up and peak memory of the program against a bare window built in
# the same tree, launched alternately on Xvfb; medians and ratios. With a
# Windows build: its program against a bare Win32 window, both under Wine
# (memory is then Wine's, not comparable), and the program file's size.
# Usage: startup_benchmark.sh [BUILD_DIR] [LAUNCHES] [WINDOWS_BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
launches=${2:-15}
windows=${3:-}
settle_ms=500

source tests/e2e/driver.sh
trap 'e2e_stop_display' EXIT
e2e_start_display

median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

launcher=()
if [[ -n $windows ]]; then
  export WINEPREFIX=${WINEPREFIX:-$PWD/$windows/wineprefix} WINEDEBUG=-all
  launcher=("$(command -v wine64 || echo /usr/lib/wine/wine64)")
  [[ -d $WINEPREFIX ]] || bash tests/windows/new-wine-prefix.sh "$WINEPREFIX"
  echo "program file: $(stat -c %s "$windows/bin/quadrangler.exe") bytes" \
    "(bare Win32 window: $(stat -c %s "$windows/bench/bare_window_win32.exe") bytes)"
  # A warm, lasting session, as on a running desktop.
  wineserver=$(dirname "${launcher[0]}")/wineserver
  "$wineserver" -p
  trap 'e2e_stop_display; "$wineserver" -k' EXIT
  "${launcher[@]}" wineboot >/dev/null 2>&1
fi

declare -A ms kib
for ((i = 0; i < launches; i++)); do
  for who in program bare; do
    if [[ -n $windows ]]; then
      [[ $who == program ]] && exe=$windows/bin/quadrangler.exe ||
        exe=$windows/bench/bare_window_win32.exe
    else
      [[ $who == program ]] && exe=$build/bin/quadrangler || exe=$build/bench/bare_window
    fi
    read -r t m < <("$build/bench/map_watcher" "$settle_ms" "${launcher[@]}" "$exe")
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
[[ -n $windows ]] && exit 0 # Wine's memory, not the program's
awk -v a="$p_kib" -v b="$b_kib" 'BEGIN {printf "peak memory ratio %.3f (goal <= 1.10)\n", a / b}'
