#!/bin/bash
# Starts the simulated bench and the program connected to it, in a folder of
# their own; the bench ends when the program ends.
#
#   demo.sh BUILD_DIR          ten boards of every driver family behind an adapter
#   demo.sh BUILD_DIR mini     one board on its own USB port (mini-USB mode)
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
mode=${2:-adapter}
folder=$(mktemp -d)
sim_pid=
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$folder"
}
trap cleanup EXIT

# type:address, one board per channel, channel 1 first: CW, Precision CW,
# DC/DC (two kinds), power, PS table, NS table, SOA, PS, NS. The second
# DC/DC board has its output on, so closing the program asks to turn it off.
boards=(8:1 15:2 11:3 16:4 18:5 7:6 6:7 13:8 20:9 21:10)
output_on=16:4
sim_args=()
if [ "$mode" = mini ]; then
    boards=(21:51)
    output_on=
    sim_args+=(--direct)
fi
for b in "${boards[@]}"; do
    [ "$b" = "$output_on" ] && sim_args+=(--output-on-board "$b") || sim_args+=(--board "$b")
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

{
    echo "[serial]"
    echo "portname=$port"
    echo "portspeed=115200"
    echo "connection_mode=true"
    echo "[device_conf]"
    for i in $(seq 10); do
        [ "$i" = 1 ] && suffix= || suffix=_$i
        b=${boards[$((i - 1))]:-}
        if [ -n "$b" ]; then
            echo "channel${suffix}_enabled=true"
            echo "edit_name$suffix=type ${b%%:*}"
            # In mini-USB mode every frame goes to channel 1 whatever its address.
            echo "addr$suffix=${b##*:}"
        else
            echo "channel${suffix}_enabled=false"
            echo "addr$suffix=$i"
        fi
    done
    [ "$mode" = mini ] && echo "mini_usb=true" || echo "mini_usb=false"
    echo "[settings]"
    echo "available=1"
} >"$folder/settings.ini"

echo "demo: bench on $port ($mode), settings in $folder"
cd "$folder"
LUMATREX_EXTRA_PORTS="$port" "$build/lumatrex"
