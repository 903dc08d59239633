#!/usr/bin/env bash
# Inside an X session (xvfb-run): starts a window manager and the program,
# waits for its main window, saves a screenshot, then asks the window manager
# to close the window as its close box would. Exits with the program's code.
# usage: show-and-close.sh PROGRAM SCREENSHOT.png
set -uo pipefail
program=$1
shot=$2
title="Zentorix2024电阻计算器2024"

# Qt wants a private runtime folder; a fresh session has none.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null' EXIT
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done

"$program" &
pid=$!
for _ in $(seq 100); do wmctrl -l 2>/dev/null | grep -qF "$title" && break; sleep 0.1; done
if ! wmctrl -l | grep -qF "$title"; then
    echo "the main window did not appear" >&2
    kill "$pid" 2>/dev/null
    exit 1
fi
sleep 0.5
import -window root "$shot"
wmctrl -c "$title"
wait "$pid"
