#!/usr/bin/env bash
# The whole program under a private Xvfb with trayer as the tray host and the local backend (tiny league):
#   - tray icon embedded after exec (ms);
#   - shortcut press to typeable field, from the app's own latency line: the first show, and the median of
#     the next 50;
#   - resident memory once idle after ten shows and ten player cards.
set -euo pipefail
# shellcheck source=bench/whole-program.sh
source "$(dirname "${BASH_SOURCE[0]}")/whole-program.sh"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
lines() { grep -c "$1" "$work/app.log" || true; }
panel_shown() { xdotool search --onlyvisible --name '^Huddlepod search$' >/dev/null 2>&1; }

start_backend tiny
start_x
# Ten surnames to open cards for.
mapfile -t surnames < <(surnames_from_backend '&limit=10')

start=$(now_ms)
XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb \
    "$build/app/huddlepod" 2>"$work/app.log" &
app_pid=$!
pids+=($app_pid)
wait_until 'xdotool search --onlyvisible --classname "^huddlepod$" >/dev/null 2>&1' 20
embedded=$(($(now_ms) - start))

ready="hotkey → typeable field"
for i in $(seq 0 50); do
    xdotool key ctrl+alt+s
    wait_until "[ \"\$(lines \"$ready\")\" -ge $((i + 1)) ]" 20
    xdotool key ctrl+alt+s
    wait_until '! panel_shown' 20
done
mapfile -t latencies < <(grep -o "$ready: [0-9.]*" "$work/app.log" | awk '{print $NF}')
first="${latencies[0]}"
warm_median=$(printf '%s\n' "${latencies[@]:1}" | median)

for i in $(seq 0 9); do
    xdotool key ctrl+alt+s
    wait_until panel_shown 20
    xdotool type --delay 10 "${surnames[$((i % ${#surnames[@]}))]}"
    wait_until "[ \"\$(lines 'search → results')\" -ge $((i + 1)) ]" 20
    xdotool key Return
    wait_until "[ \"\$(lines 'player card: ')\" -ge $((i + 1)) ]" 20
    xdotool key Escape Escape
    wait_until '! panel_shown' 20
done
rss_kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$app_pid/status")

echo "tray icon embedded after exec:          ${embedded} ms   (aim ≤ 200 ms)"
echo "shortcut → typeable field, first show:  ${first} ms   (aim ≤ 150 ms)"
echo "shortcut → typeable field, median of 50: ${warm_median} ms   (aim ≤ 20 ms)"
echo "idle RSS after 10 shows and 10 cards:   $((rss_kb / 1024)) MB   (aim ≤ 50 MB)"
