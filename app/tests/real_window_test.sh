#!/usr/bin/env bash
# The built program in a real X server with a window manager: it maps its
# main window under the application title with the four boxes reading 0,
# closes when the window manager asks it to, and exits with 0.
# usage: real_window_test.sh PROGRAM SCREENSHOT.png
set -euo pipefail
program=$1
shot=$2

if [ -z "${ZENTORIX_IN_XVFB:-}" ]; then
    export ZENTORIX_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi

title="Zentorix2024电阻计算器2024"
work=$(mktemp -d)
cp "$program" "$work/zentorix"
# Qt wants a private runtime folder; a fresh session has none.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done

"$work/zentorix" 2>/dev/null &
pid=$!
for _ in $(seq 100); do wmctrl -l 2>/dev/null | grep -qF "$title" && break; sleep 0.1; done
wmctrl -l | grep -qF "$title" || { echo "FAIL: no window titled $title"; exit 1; }
window=$(xdotool search --name "^${title}\$" | head -n 1)
sleep 0.5

# Each box's text, copied to the clipboard as a user would copy it (the
# boxes' centres in the window, from the layout). A box read is then typed
# over, so a click that missed its box reads the previous box's new text.
failures=0
for y in 85 133 181 229; do
    xdotool mousemove --window "$window" 140 "$y" click 1
    xdotool key --window "$window" ctrl+a ctrl+c
    sleep 0.2
    text=$(xclip -o -selection clipboard 2>/dev/null || true)
    if [ "$text" != "0" ]; then
        echo "FAIL: the box at y=$y reads '$text', not 0"
        failures=$((failures + 1))
    fi
    xdotool type --window "$window" "5"
done

import -window root "$shot"
echo "screenshot: $shot"

wmctrl -c "$title"
status=0
timeout 20 tail --pid="$pid" -f /dev/null || { echo "FAIL: still running after the close request"; kill "$pid"; }
wait "$pid" || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: exit code $status"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "real window: 1 passed, 0 failed" || { echo "real window: 0 passed, 1 failed"; exit 1; }
