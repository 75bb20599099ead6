# Shared by the whole-program benchmarks (sourced): a Release build, a work folder cleaned on exit, the local
# backend, and a private Xvfb with trayer as the tray host.
# Builds Release into build/bench (or $HUDDLEPOD_BENCH_BUILD_DIR) unless HUDDLEPOD_BENCH_NO_BUILD is set; a
# sourcing script may add targets to whole_program_targets first.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${HUDDLEPOD_BENCH_BUILD_DIR:-$root/build/bench}"
if [ -z "${HUDDLEPOD_BENCH_NO_BUILD:-}" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHUDDLEPOD_SANITIZE=OFF -DHUDDLEPOD_WERROR=OFF >/dev/null
    cmake --build "$build" --parallel "${HUDDLEPOD_BENCH_JOBS:-$(nproc)}" --target huddlepod huddlepod-backend \
        "${whole_program_targets[@]}"
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
median() { sort -n | awk '{v[NR]=$1} END {if (NR) print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2); else print "-"}'; }

# Starts the local backend with league $1 and exports its URL and key.
start_backend() {
    "$build/backend/huddlepod-backend" --database "$work/league.sqlite" --league "$1" --seed 7 --port 0 \
        >"$work/backend.out" &
    pids+=($!)
    wait_until 'grep -qs "^HUDDLEPOD_SUPABASE_ANON_KEY=" "$work/backend.out"' 120
    HUDDLEPOD_SUPABASE_URL="$(sed -n 's/^HUDDLEPOD_SUPABASE_URL=//p' "$work/backend.out")"
    HUDDLEPOD_SUPABASE_ANON_KEY="$(sed -n 's/^HUDDLEPOD_SUPABASE_ANON_KEY=//p' "$work/backend.out")"
    export HUDDLEPOD_SUPABASE_URL HUDDLEPOD_SUPABASE_ANON_KEY
}

# Prints the players' surnames the backend answers for the query string $1 (after "select=last_name").
surnames_from_backend() {
    local port="${HUDDLEPOD_SUPABASE_URL#http://127.0.0.1:}"
    port="${port%%/*}"
    exec 3<>"/dev/tcp/127.0.0.1/$port"
    printf 'GET /rest/v1/players?select=last_name%s HTTP/1.0\r\nHost: 127.0.0.1\r\napikey: %s\r\nAuthorization: Bearer %s\r\n\r\n' \
        "$1" "$HUDDLEPOD_SUPABASE_ANON_KEY" "$HUDDLEPOD_SUPABASE_ANON_KEY" >&3
    grep -o '"last_name":"[^"]*"' <&3 | cut -d'"' -f4
    exec 3<&-
}

# A private X server (1280x800, or $HUDDLEPOD_BENCH_SCREEN) with trayer as the tray host; exports DISPLAY. A
# sourcing script may define `before_tray` to set the server up further before trayer starts.
start_x() {
    Xvfb -displayfd 3 -screen 0 "${HUDDLEPOD_BENCH_SCREEN:-1280x800}x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    pids+=($!)
    wait_until '[ -s "$work/display" ]' 20
    DISPLAY=":$(cat "$work/display")"
    export DISPLAY
    unset WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS
    if declare -F before_tray >/dev/null; then
        before_tray
    fi
    start_tray
}

# trayer at the top right; its pid in tray_pid.
start_tray() {
    trayer --edge top --align right --widthtype request >/dev/null 2>&1 &
    tray_pid=$!
    pids+=($tray_pid)
    wait_until 'xdotool search --onlyvisible --class "^trayer$" >/dev/null 2>&1' 20
}
