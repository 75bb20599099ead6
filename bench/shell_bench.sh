#!/usr/bin/env bash
# The whole program under a private Xvfb with trayer as the tray host and the local backend (tiny league):
#   - tray icon embedded after exec (ms);
#   - shortcut press to typeable field, from the app's own latency line: the first show, and the median of
#     the next 50;
#   - resident memory once idle after ten shows and ten player cards.
# Builds Release into build/bench (or $HUDDLEPOD_BENCH_BUILD_DIR) unless HUDDLEPOD_BENCH_NO_BUILD is set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HUDDLEPOD_BENCH_BUILD_DIR:-$root/build/bench}"
if [ -z "${HUDDLEPOD_BENCH_NO_BUILD:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUDDLEPOD_SANITIZE=OFF -DHUDDLEPOD_WERROR=OFF >/dev/null
    cmake --build "$build" --parallel "${HUDDLEPOD_BENCH_JOBS:-$(nproc)}" --target huddlepod huddlepod-backend
fi

work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# Polls a condition every 5 ms for at most $2 seconds.
wait_until() {
    local deadline=$((SECONDS + $2))
    until eval "$1"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "Timed out waiting for: $1" >&2
            exit 1
        fi
        sleep 0.005
    done
}
now_ms() { echo $(($(date +%s%N) / 1000000)); }
lines() { grep -c "$1" "$work/app.log" || true; }
panel_shown() { xdotool search --onlyvisible --name '^Huddlepod search$' >/dev/null 2>&1; }

"$build/backend/huddlepod-backend" --database "$work/league.sqlite" --league tiny --seed 7 --port 0 \
    >"$work/backend.out" &
pids+=($!)
wait_until 'grep -q "^HUDDLEPOD_SUPABASE_ANON_KEY=" "$work/backend.out"' 60
export HUDDLEPOD_SUPABASE_URL="$(sed -n 's/^HUDDLEPOD_SUPABASE_URL=//p' "$work/backend.out")"
export HUDDLEPOD_SUPABASE_ANON_KEY="$(sed -n 's/^HUDDLEPOD_SUPABASE_ANON_KEY=//p' "$work/backend.out")"

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_until '[ -s "$work/display" ]' 20
export DISPLAY=":$(cat "$work/display")"
unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
trayer --edge top --align right --widthtype request >/dev/null 2>&1 &
pids+=($!)
wait_until 'xdotool search --onlyvisible --class "^trayer$" >/dev/null 2>&1' 20

# Ten surnames to open cards for.
port="${HUDDLEPOD_SUPABASE_URL#http://127.0.0.1:}"
port="${port%%/*}"
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /rest/v1/players?select=last_name&limit=10 HTTP/1.0\r\nHost: 127.0.0.1\r\napikey: %s\r\nAuthorization: Bearer %s\r\n\r\n' \
    "$HUDDLEPOD_SUPABASE_ANON_KEY" "$HUDDLEPOD_SUPABASE_ANON_KEY" >&3
mapfile -t surnames < <(grep -o '"last_name":"[^"]*"' <&3 | cut -d'"' -f4)
exec 3<&-

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
warm_median=$(printf '%s\n' "${latencies[@]:1}" | sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}')

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
