#!/usr/bin/env bash
# The query drive over 20 names of the small league, on the whole program under a private Xvfb with trayer
# and the local backend: the drive's memory line after the last card, and the medians of the program's
# search, card and game-log latency lines.
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

# Polls a condition every 20 ms for at most $2 seconds.
wait_until() {
    local deadline=$((SECONDS + $2))
    until eval "$1"; do
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "Timed out waiting for: $1" >&2
            exit 1
        fi
        sleep 0.02
    done
}
median() { sort -n | awk '{v[NR]=$1} END {if (NR) print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2); else print "-"}'; }

"$build/backend/huddlepod-backend" --database "$work/league.sqlite" --league small --seed 7 --port 0 \
    >"$work/backend.out" &
pids+=($!)
wait_until 'grep -q "^HUDDLEPOD_SUPABASE_ANON_KEY=" "$work/backend.out"' 120
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

# Twenty surnames, spread over the league.
port="${HUDDLEPOD_SUPABASE_URL#http://127.0.0.1:}"
port="${port%%/*}"
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf 'GET /rest/v1/players?select=last_name&order=id&limit=400 HTTP/1.0\r\nHost: 127.0.0.1\r\napikey: %s\r\nAuthorization: Bearer %s\r\n\r\n' \
    "$HUDDLEPOD_SUPABASE_ANON_KEY" "$HUDDLEPOD_SUPABASE_ANON_KEY" >&3
mapfile -t surnames < <(grep -o '"last_name":"[^"]*"' <&3 | cut -d'"' -f4 | awk 'NR % 20 == 1' | head -20)
exec 3<&-
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
