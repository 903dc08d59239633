#!/usr/bin/env bash
# The built program in a real X server with a window manager: it maps its
# main window under the application title, fixed in size, the series/parallel
# page in front; the Ohm's-law page's four boxes read 0; it closes when the
# window manager asks it to (as the close box does) and exits with 0.
# Without a usable display it says so on one line and exits with 1.
# Screenshots of both pages: SHOT-list.png and SHOT-ohm.png.
# usage: real_window_test.sh PROGRAM SHOT
set -uo pipefail
program=$1
shot=$2
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"

work=$(mktemp -d)
cp "$program" "$work/zentorix"
start_session
trap 'stop_session; rm -rf "$work"' EXIT

# The command line is ignored: Qt's own options included.
"$work/zentorix" -platform offscreen -reverse --help 2>/dev/null &
pid=$!
wait_for_windows 1 && mapped=ok || mapped=no
check "main window" "$mapped" "no window titled $title"
window=$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)

# Placed once, before it was mapped: centred with its frame from the first
# look on, and never moved by the program, even when the user moves it at once.
place() { xwininfo -id "$window" | sed -n 's/.*Absolute upper-left [XY]: *//p' | paste -sd,; }
off_centre() {  # the frame's centre minus the screen's, doubled: "dx dy"
    local x y w h l r t b sw sh
    IFS=, read -r x y < <(place)
    w=$(xwininfo -id "$window" | sed -n 's/.*Width: *//p')
    h=$(xwininfo -id "$window" | sed -n 's/.*Height: *//p')
    IFS=', ' read -r l r t b < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= *//')
    sw=$(xwininfo -root | sed -n 's/.*Width: *//p')
    sh=$(xwininfo -root | sed -n 's/.*Height: *//p')
    echo "$((2 * x - l + r + w - sw)) $((2 * y - t + b + h - sh))"
}
r=ok
for _ in $(seq 10); do
    read -r dx dy < <(off_centre)
    [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ] || { r=no; break; }
done
check "centred from its first map" "$r" "its frame is off centre by ($dx/2, $dy/2) px"
first=$(place)
xdotool windowmove "$window" 40 60
for _ in $(seq 100); do [ "$(place)" != "$first" ] && moved=$(place) && break; sleep 0.02; done
r=ok
for _ in $(seq 60); do  # longer than any correction could wait
    [ "$(place)" = "${moved:-}" ] || { r=no; break; }
    sleep 0.05
done
check "left where the user put it" "$r" "moved to ${moved:-nowhere}, then to $(place)"
import -window root "$shot-list.png"

size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
before=$(size)
wmctrl -r "$title" -b add,maximized_vert,maximized_horz
sleep 0.5
after=$(size)
[ "$before" = "$after" ] && r=ok || r=no
check "not maximised" "$r" "$before became $after"
wmctrl -r "$title" -b remove,maximized_vert,maximized_horz
menu=$(( ${before#*x} - 465 ))
[ "${before%x*}" = 805 ] && [ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] && r=ok || r=no
check "client area" "$r" "window $before: not 805 wide and 465 below a menu bar"

# The Ohm's-law page: its tab is the first one.
xdotool mousemove --window "$window" 100 $((menu + 12)) click 1
sleep 0.3

# Each box's text, copied to the clipboard as a user would copy it (the
# boxes' centres in the window, from the layout). A box read is then typed
# over, so a click that missed its box reads the previous box's new text.
for y in $((menu + 85)) $((menu + 133)) $((menu + 181)) $((menu + 229)); do
    xdotool mousemove --window "$window" 140 "$y" click 1
    xdotool key ctrl+a ctrl+c
    sleep 0.2
    text=$(xclip -o -selection clipboard 2>/dev/null || true)
    [ "$text" = "0" ] && result=ok || result=no
    check "box at y=$y" "$result" "reads '$text', not 0"
    xdotool type "5"
done

import -window root "$shot-ohm.png"
echo "screenshots: $shot-list.png $shot-ohm.png"

wmctrl -c "$title"
wait_for_exit "$pid" || true
[ "$exit_code" = 0 ] && result=ok || result=no
check "exit" "$result" "exit code $exit_code after the close request"

for display in "" ":$((RANDOM + 1000))"; do
    said=$(DISPLAY=$display timeout 20 env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$work/zentorix" 2>&1 >/dev/null)
    code=$?
    [ "$code" = 1 ] && [ "$(wc -l <<<"$said")" = 1 ] && [[ "$said" == *"no display could be opened"* ]] && r=ok || r=no
    check "no display '$display'" "$r" "exit $code, said: $said"
done
finish
