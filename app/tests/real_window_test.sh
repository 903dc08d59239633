#!/usr/bin/env bash
# The built program in a real X server with a window manager: it maps its
# main window under the application title with the four boxes reading 0,
# closes when the window manager asks it to (as the close box does), and
# exits with 0.
# usage: real_window_test.sh PROGRAM SCREENSHOT.png
set -uo pipefail
program=$1
shot=$2
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"

work=$(mktemp -d)
cp "$program" "$work/zentorix"
start_session
trap 'stop_session; rm -rf "$work"' EXIT

"$work/zentorix" 2>/dev/null &
pid=$!
wait_for_windows 1 && mapped=ok || mapped=no
check "main window" "$mapped" "no window titled $title"
window=$(xdotool search --name "^${title}\$" | head -n 1)
sleep 0.5

# Each box's text, copied to the clipboard as a user would copy it (the
# boxes' centres in the window, from the layout). A box read is then typed
# over, so a click that missed its box reads the previous box's new text.
for y in 85 133 181 229; do
    xdotool mousemove --window "$window" 140 "$y" click 1
    xdotool key ctrl+a ctrl+c
    sleep 0.2
    text=$(xclip -o -selection clipboard 2>/dev/null || true)
    [ "$text" = "0" ] && result=ok || result=no
    check "box at y=$y" "$result" "reads '$text', not 0"
    xdotool type "5"
done

import -window root "$shot"
echo "screenshot: $shot"

wmctrl -c "$title"
wait_for_exit "$pid" || true
[ "$exit_code" = 0 ] && result=ok || result=no
check "exit" "$result" "exit code $exit_code after the close request"
finish
