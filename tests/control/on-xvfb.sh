#!/usr/bin/env bash
# Runs a test program on a private Xvfb display with no window manager, as the
# program's run command does on a machine without a display.
set -euo pipefail
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; rm -f "$fifo"' EXIT
read -r display <"$fifo"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$@"
