#!/bin/bash
# Checks that the demonstration ends cleanly: `make demo` under a virtual
# display, its program ended by SIGTERM after a few seconds, and `make
# demo-mini`, its script ended by SIGTERM. Each must end with status 0, the
# bench ended and the demo's folder gone.
#
#   check_demo.sh BUILD_DIR [SECONDS]
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
seconds=${2:-4}
failed=0

descendants() {
    local child
    for child in $(ps -o pid= --ppid "$1"); do
        echo "$child"
        descendants "$child"
    done
}

# The first descendant of $1 whose command name is $2.
find_process() {
    local p
    for p in $(descendants "$1"); do
        [ "$(ps -o comm= -p "$p" 2>/dev/null)" = "$2" ] && { echo "$p"; return 0; }
    done
    return 1
}

# check TARGET PROCESS: runs make TARGET, sends SIGTERM to PROCESS (lumatrex
# or demo.sh) once the program has run for a few seconds.
check() {
    local target=$1 victim=$2 log runner folder program sim status
    log=$(mktemp)
    xvfb-run -a -s "-screen 0 1280x1024x24" make -s "$target" BUILD="$build" >"$log" 2>&1 &
    runner=$!
    program=
    for _ in $(seq 600); do
        program=$(find_process "$runner" lumatrex) && break
        sleep 0.1
    done
    folder=$(sed -n 's/.*settings in \([^ ;]*\).*/\1/p' "$log" | head -n 1)
    sim=$(find_process "$runner" lumatrex_sim)
    if [ -z "$program" ] || [ -z "$folder" ] || [ -z "$sim" ]; then
        echo "FAIL $target: the program or the bench did not start"
        cat "$log"
        kill -TERM "$runner" 2>/dev/null
        failed=1
        return
    fi
    sleep "$seconds"
    if ! kill -0 "$program" 2>/dev/null; then
        echo "FAIL $target: the program ended by itself"
        cat "$log"
        failed=1
        return
    fi
    if [ "$victim" = lumatrex ]; then
        kill -TERM "$program"
    else
        kill -TERM "$(find_process "$runner" demo.sh)"
    fi
    status=
    for _ in $(seq 300); do
        kill -0 "$runner" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$runner" 2>/dev/null; then
        echo "FAIL $target: still running 30 s after SIGTERM to $victim"
        kill -KILL "$program" "$runner" 2>/dev/null
        failed=1
    fi
    wait "$runner"
    status=$?
    local bad=
    [ "$status" = 0 ] || bad="$bad exit status $status;"
    [ ! -e "$folder" ] || bad="$bad $folder left behind;"
    ! kill -0 "$sim" 2>/dev/null || bad="$bad the bench still runs;"
    ! kill -0 "$program" 2>/dev/null || bad="$bad the program still runs;"
    if [ -n "$bad" ]; then
        echo "FAIL $target, SIGTERM to $victim:$bad"
        cat "$log"
        failed=1
    else
        echo "ok   $target, SIGTERM to $victim: status 0, bench ended, $folder removed"
    fi
    rm -f "$log"
}

check demo lumatrex
check demo-mini demo.sh
exit $failed
