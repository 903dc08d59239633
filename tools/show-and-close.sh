#!/usr/bin/env bash
# Inside an X session (xvfb-run): starts a window manager and the program,
# waits for its main window, saves a screenshot, then asks the window manager
# to close the window as its close box would. Exits with the program's code.
# usage: show-and-close.sh PROGRAM SCREENSHOT.png
set -uo pipefail
program=$1
shot=$2
source "$(dirname "$0")/xsession.sh"

start_window_manager
trap stop_session EXIT
"$program" &
pid=$!
if ! wait_for_windows 1; then
    echo "the main window did not appear" >&2
    kill "$pid" 2>/dev/null
    exit 1
fi
sleep 0.5
import -window root "$shot"
wmctrl -c "$title"
wait "$pid"
