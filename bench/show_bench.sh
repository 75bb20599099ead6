#!/usr/bin/env bash
# The panel's show seen from outside, next to a peer launcher's in the same run: on a private Xvfb with trayer
# and the local backend (tiny league), an XTest press of the global key to the window's MapNotify and FocusIn,
# 35 shows each (bench/ShowLatency.cpp), median and p90.
#   - huddlepod: Ctrl+Alt+S, hidden again by the same key;
#   - HUDDLEPOD_BENCH_BASELINE=<another huddlepod binary>: the same for it (before and after a change);
#   - synapse (a GTK launcher, Debian's package, installed here when missing if allowed): Ctrl+Space, its
#     default, on a private D-Bus session; skipped with a message when it cannot be had.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"
whole_program_targets=(show_latency)
# shellcheck source=bench/whole-program.sh
source "$root/bench/whole-program.sh"

shows="${HUDDLEPOD_BENCH_SHOWS:-35}"

# Stops one process this script started.
stop() {
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# Measures the huddlepod binary $1 under the label $2.
measure_huddlepod() {
    local app_pid
    rm -rf "$work/config" "$work/cache"
    XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=xcb "$1" 2>"$work/$2.log" &
    app_pid=$!
    pids+=($app_pid)
    wait_until 'xdotool search --onlyvisible --classname "^huddlepod$" >/dev/null 2>&1' 20
    "$build/bench/show_latency" --match "Huddlepod search" --key ctrl+alt+s --count "$shows" --label "$2"
    stop "$app_pid"
}

measure_synapse() {
    if ! command -v synapse >/dev/null; then
        huddlepod_install_packages synapse >/dev/null 2>&1 || true
    fi
    if ! command -v synapse >/dev/null; then
        echo "synapse    not installed (apt-get install synapse); no peer figure"
        return
    fi
    # Its own home, and a session bus of its own: it registers there as a single instance.
    local home="$work/synapse-home" bus_pid address
    mkdir -p "$home"
    dbus-daemon --session --fork --nopidfile --print-address=3 --print-pid=4 3>"$work/bus.address" 4>"$work/bus.pid"
    bus_pid="$(cat "$work/bus.pid")"
    pids+=("$bus_pid")
    address="$(head -n 1 "$work/bus.address")"
    HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
        XDG_CACHE_HOME="$home/.cache" DBUS_SESSION_BUS_ADDRESS="$address" synapse --startup \
        >"$work/synapse.log" 2>&1 &
    local synapse_pid=$!
    pids+=($synapse_pid)
    if ! (wait_until 'xdotool search --class "^synapse$" >/dev/null 2>&1' 20); then
        echo "synapse    did not start: $(tail -n 3 "$work/synapse.log")"
    else
        "$build/bench/show_latency" --match synapse --key ctrl+space --count "$shows" --label synapse
    fi
    stop "$synapse_pid"
    kill "$bus_pid" 2>/dev/null || true
}

start_backend tiny
start_x
measure_huddlepod "$build/app/huddlepod" huddlepod
if [ -n "${HUDDLEPOD_BENCH_BASELINE:-}" ]; then
    measure_huddlepod "$HUDDLEPOD_BENCH_BASELINE" baseline
fi
measure_synapse
