#!/usr/bin/env bash
# The panel's show seen from outside, next to a peer launcher's in the same run: on a private Xvfb with trayer
# and the local backend (tiny league), an XTest press of the global key to the window's MapNotify and FocusIn,
# 35 shows each (bench/ShowLatency.cpp), median and p90.
#   - huddlepod: Ctrl+Alt+S, hidden again by the same key;
#   - HUDDLEPOD_BENCH_BASELINE=<another huddlepod binary>: the same for it (before and after a change);
#   - synapse (a GTK launcher, Debian's package, installed here when missing if allowed): Ctrl+Space, its
#     default, on a private D-Bus session; skipped with a message when it cannot be had.
# HUDDLEPOD_BENCH_RUNS=N measures them all N times in turn (the load of a shared machine varies) and counts
# the runs where huddlepod's FocusIn median and p90 are both at or under synapse's. HUDDLEPOD_BENCH_MONITORS=2
# splits a 2560x800 screen into two 1280x800 monitors (the tray on the right one); HUDDLEPOD_BENCH_WM=openbox
# runs Openbox, which then gives the focus. HUDDLEPOD_BENCH_ROUND_TRIPS=1 preloads bench/RoundTrips.cpp into
# huddlepod and prints its round trips to the server per show and hide. HUDDLEPOD_BENCH_TRACE=PREFIX writes
# what the server does for every client during each program's shows (bench/ServerTrace.cpp) to PREFIX.LABEL.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
whole_program_targets=(show_latency round_trips server_trace)
monitors="${HUDDLEPOD_BENCH_MONITORS:-1}"
window_manager="${HUDDLEPOD_BENCH_WM:-}"
if [ "$monitors" = 2 ]; then
    export HUDDLEPOD_BENCH_SCREEN=2560x800
fi
# shellcheck source=bench/whole-program.sh
source "$root/bench/whole-program.sh"

shows="${HUDDLEPOD_BENCH_SHOWS:-35}"
runs="${HUDDLEPOD_BENCH_RUNS:-1}"

# Stops one process this script started.
stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Called by start_x before trayer: the monitors, then the window manager.
before_tray() {
    if [ "$monitors" = 2 ]; then
        xrandr --setmonitor left 1280/339x800/212+0+0 screen >/dev/null
        xrandr --setmonitor right 1280/339x800/212+1280+0 none >/dev/null
    fi
    if [ "$window_manager" = openbox ]; then
        openbox --sm-disable >/dev/null 2>&1 &
        pids+=($!)
        # It names its theme once started: a window mapped before then (trayer's) can stay unmanaged.
        wait_until 'xprop -root _OB_THEME 2>/dev/null | grep -q "="' 20
    fi
}

# Runs show_latency with the arguments given, traced by the server when asked (to $HUDDLEPOD_BENCH_TRACE.LABEL,
# the label being the last argument).
show_latency() {
    local trace_pid= trace="${HUDDLEPOD_BENCH_TRACE:-}.${*: -1}"
    if [ -n "${HUDDLEPOD_BENCH_TRACE:-}" ]; then
        "$build/bench/server_trace" >"$trace" &
        trace_pid=$!
        pids+=($trace_pid)
        wait_until '[ -s "$trace" ]' 5 # its heading, the record about to begin
    fi
    "$build/bench/show_latency" "$@"
    if [ -n "$trace_pid" ]; then
        stop "$trace_pid"
    fi
}

# Measures the huddlepod binary $1 under the label $2, appending its line to $work/results.
measure_huddlepod() {
    local app_pid preload= trips="$work/$2.trips" before
    rm -rf "$work/config" "$work/cache" "$trips"
    if [ -n "${HUDDLEPOD_BENCH_ROUND_TRIPS:-}" ]; then
        preload="$build/bench/libround_trips.so"
    fi
    LD_PRELOAD="$preload" HUDDLEPOD_ROUND_TRIPS_FILE="$trips" XDG_CONFIG_HOME="$work/config" \
        XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb "$1" 2>"$work/$2.log" &
    app_pid=$!
    pids+=($app_pid)
    wait_until 'xdotool search --onlyvisible --classname "^huddlepod$" >/dev/null 2>&1' 20
    sleep 1 # what the launch does on later turns
    before="$(cat "$trips" 2>/dev/null || echo 0)"
    show_latency --match "Huddlepod search" --key ctrl+alt+s --count "$shows" --label "$2" |
        tee -a "$work/results"
    if [ -n "$preload" ]; then
        # The unmeasured first show and hide included.
        awk -v a="$before" -v b="$(cat "$trips")" -v n="$shows" \
            'BEGIN { printf "%-10s %d round trips to the X server over %d shows and hides\n", "", b - a, n + 1 }'
    fi
    stop "$app_pid"
    # trayer takes in no icon of a later program once one has gone.
    stop "$tray_pid"
    start_tray
}

synapse_ready=
start_synapse() {
    if ! command -v synapse >/dev/null; then
        huddlepod_install_packages synapse >/dev/null 2>&1 || true
    fi
    if ! command -v synapse >/dev/null; then
        echo "synapse    not installed (apt-get install synapse); no peer figure"
        return
    fi
    # Its own home, and a session bus of its own: it registers there as a single instance.
    local home="$work/synapse-home" address
    mkdir -p "$home"
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
    pids+=("$(cat "$work/bus.pid")")
    address="$(head -n 1 "$work/bus.address")"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" DBUS_SESSION_BUS_ADDRESS="$address" synapse --startup \
        >"$work/synapse.log" 2>&1 &
    pids+=($!)
    if ! (wait_until 'xdotool search --class "^synapse$" >/dev/null 2>&1' 20); then
        echo "synapse    did not start: $(tail -n 3 "$work/synapse.log")"
        return
    fi
    synapse_ready=1
}

measure_synapse() {
    if [ -n "$synapse_ready" ]; then
        show_latency --match synapse --key ctrl+space --count "$shows" --label synapse |
            tee -a "$work/results"
    fi
}

# "median p90" of the FocusIn figures in the last line labelled $1.
focus_figures() {
    grep "^$1 " "$work/results" | tail -n 1 |
        sed -E 's/.*FocusIn: median ([0-9.]+) ms, p90 ([0-9.]+) ms.*/\1 \2/'
}

start_backend tiny
start_x
start_synapse
echo "monitors: $monitors; window manager: ${window_manager:-none}; $shows shows a run"
at_or_under=0
for ((run = 1; run <= runs; run++)); do
    echo "run $run, load average $(cut -d' ' -f1-3 /proc/loadavg)"
    measure_huddlepod "$build/app/huddlepod" huddlepod
    if [ -n "${HUDDLEPOD_BENCH_BASELINE:-}" ]; then
        measure_huddlepod "$HUDDLEPOD_BENCH_BASELINE" baseline
    fi
    measure_synapse
    if [ -n "$synapse_ready" ]; then
        read -r ours_median ours_p90 <<<"$(focus_figures huddlepod)"
        read -r peer_median peer_p90 <<<"$(focus_figures synapse)"
        if awk -v a="$ours_median" -v b="$peer_median" -v c="$ours_p90" -v d="$peer_p90" \
            'BEGIN { exit !(a <= b && c <= d) }'; then
            at_or_under=$((at_or_under + 1))
        fi
    fi
done
if [ -n "$synapse_ready" ]; then
    echo "huddlepod's FocusIn median and p90 at or under synapse's in $at_or_under of $runs runs"
fi
