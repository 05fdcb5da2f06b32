#!/bin/bash
# Prints one line saying why the program cannot open its window here, or
# nothing when it can: a Qt platform chosen by QT_QPA_PLATFORM, a Wayland
# display, or an X display (a local one only if its server's socket is there).
if [ -n "${QT_QPA_PLATFORM:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exit 0
fi
why=
if [ -z "${DISPLAY:-}" ]; then
    why="DISPLAY is not set"
elif [[ "$DISPLAY" =~ ^:([0-9]+)(\.[0-9]+)?$ ]] && [ ! -S "/tmp/.X11-unix/X${BASH_REMATCH[1]}" ]; then
    why="no X server answers at DISPLAY=$DISPLAY"
fi
[ -z "$why" ] || echo "Lumatrex opens a window and needs a display ($why): start it from a desktop session, or under a virtual one with xvfb-run -a make ${1:-run}"
