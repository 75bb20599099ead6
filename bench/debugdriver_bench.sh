#!/usr/bin/env bash
# The query drive over 20 names of the small league, on the whole program under a private Xvfb with trayer
# and the local backend: the drive's memory line after the last card, and the medians of the program's
# search, card and game-log latency lines.
set -euo pipefail
# shellcheck source=bench/whole-program.sh
source "$(dirname "${BASH_SOURCE[0]}")/whole-program.sh"

start_backend small
start_x

# Twenty surnames, spread over the league.
mapfile -t surnames < <(surnames_from_backend '&order=id&limit=400' | awk 'NR % 20 == 1' | head -20)
queries="$(IFS='|'; echo "${surnames[*]}")"

XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb \
    HUDDLEPOD_DEBUG_DRIVE="$queries" HUDDLEPOD_DEBUG_TAB=gamelog HUDDLEPOD_DEBUG_HOLD=0.2 \
    "$build/app/huddlepod" 2>"$work/app.log" &
pids+=($!)
wait_until 'grep -q "^\[drive\] DONE" "$work/app.log"' 600

latency() { grep -o "^\[huddlepod\] $1[^:]*: [0-9.]* ms" "$work/app.log" | awk '{print $(NF-1)}' | median; }
echo "queries driven:                          ${#surnames[@]} ($(grep -c '^\[drive\] card ready: ' "$work/app.log") cards)"
echo "$(grep '^\[drive\] memory card ' "$work/app.log" | tail -1 | sed 's/^\[drive\] //')   (aim ≤ 50 MB)"
echo "$(grep '^\[drive\] memory panel closed' "$work/app.log" | sed 's/^\[drive\] //')"
echo "median search → results:                 $(latency 'search → results') ms"
echo "median player card:                      $(latency 'player card') ms"
echo "median game log:                         $(latency 'game log') ms"
