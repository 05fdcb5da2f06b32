#!/bin/bash
# Starts the simulated bench and the program connected to it, in a folder of
# their own; the bench ends and the folder goes when the program ends.
#
#   demo.sh BUILD_DIR          the ten demonstration boards behind an adapter
#   demo.sh BUILD_DIR mini     its one board on its own USB port (mini-USB mode)
#
# The boards, their names and set points are sim/demo_boards.cpp. The script
# ends with status 0 when the program ends normally or is ended by SIGTERM,
# SIGINT or SIGHUP (its own such signal is passed on to the program).
set -euo pipefail

here=$(dirname "$0")
build=$(cd "${1:-build}" && pwd)
mode=${2:-adapter}
why=$("$here/no_display.sh" "$([ "$mode" = mini ] && echo demo-mini || echo demo)")
if [ -n "$why" ]; then
    echo "$why" >&2
    exit 1
fi

sim_args=(--demo)
[ "$mode" = mini ] && sim_args=(--demo-mini)
channels=$("$build/lumatrex_sim" "${sim_args[@]}" --demo-channels)

folder=$(mktemp -d "${TMPDIR:-/tmp}/lumatrex-demo.XXXXXX")
sim_pid=
program_pid=
cleanup() {
    cd /
    if [ -n "$program_pid" ]; then
        kill -TERM "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
    fi
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$folder"
}
trap cleanup EXIT
# A signal to the script ends the program, then the demo. The program gets
# SIGTERM whatever the signal: started in the background of a script, it
# ignores SIGINT.
ended_by() {
    echo "demo: SIG$1, ending the program"
    if [ -n "$program_pid" ]; then
        kill -TERM "$program_pid" 2>/dev/null || true
        wait "$program_pid" 2>/dev/null || true
        program_pid=
    fi
    exit 0
}
for sig in TERM INT HUP; do
    trap "ended_by $sig" "$sig"
done

"$build/lumatrex_sim" "${sim_args[@]}" >"$folder/port" 2>"$folder/bench.log" &
sim_pid=$!
for _ in $(seq 100); do
    [ -s "$folder/port" ] && break
    sleep 0.05
done
port=$(head -n 1 "$folder/port")
if [ -z "$port" ]; then
    echo "demo: the bench did not start" >&2
    cat "$folder/bench.log" >&2
    exit 1
fi

# One channel per board, at the board's address and with its name; the
# channels without a board are off.
{
    echo "[serial]"
    echo "portname=$port"
    echo "portspeed=115200"
    echo "connection_mode=true"
    echo "[device_conf]"
    i=0
    while read -r address name; do
        i=$((i + 1))
        [ "$i" = 1 ] && suffix= || suffix=_$i
        echo "channel${suffix}_enabled=true"
        echo "edit_name$suffix=$name"
        # In mini-USB mode every frame goes to channel 1 whatever its address.
        echo "addr$suffix=$address"
    done <<<"$channels"
    for i in $(seq $((i + 1)) 10); do
        [ "$i" = 1 ] && suffix= || suffix=_$i
        echo "channel${suffix}_enabled=false"
        echo "addr$suffix=$i"
    done
    [ "$mode" = mini ] && echo "mini_usb=true" || echo "mini_usb=false"
    echo "[settings]"
    echo "available=1"
} >"$folder/settings.ini"

echo "demo: bench on $port ($mode), settings in $folder; close the window (or Ctrl-C here) to end"
cd "$folder"
LUMATREX_EXTRA_PORTS="$port" "$build/lumatrex" &
program_pid=$!
status=0
wait "$program_pid" || status=$?
program_pid=
case $status in
0) ;;
129 | 130 | 143)
    echo "demo: the program was ended by SIG$(kill -l "$status")"
    status=0
    ;;
*) echo "demo: the program ended with status $status" >&2 ;;
esac
exit "$status"
