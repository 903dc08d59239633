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

# What the window manager does with the windows, from before the program
# starts: xev on the root window, ready once it has seen a property change.
xev -root -event substructure -event property >"$work/root-events" 2>/dev/null &
xev_pid=$!
for _ in $(seq 600); do
    xprop -root -f ZENTORIX_MARK 8s -set ZENTORIX_MARK ready
    grep -q PropertyNotify "$work/root-events" && break
    sleep 0.05
done

# The command line is ignored: Qt's own options included.
"$work/zentorix" -platform offscreen -reverse --help 2>/dev/null &
pid=$!
wait_for_windows 1 && mapped=ok || mapped=no
check "main window" "$mapped" "no window titled $title"
window=$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)

# Placed once, before it was mapped: its frame centred when it is mapped, and
# never moved by the program afterwards, even when the user moves it at once.
place() { xwininfo -id "$window" | sed -n 's/.*Absolute upper-left [XY]: *//p' | paste -sd,; }
first=$(place)
xprop -root -f ZENTORIX_MARK 8s -set ZENTORIX_MARK user-moves
xdotool windowmove "$window" 40 60
for _ in $(seq 100); do [ "$(place)" != "$first" ] && moved=$(place) && break; sleep 0.02; done
# The window manager takes requests in turn: once it has put the window above
# the others, it has dealt with every request made before ours.
window_manager_caught_up() {
    wmctrl -r "$title" -b add,above
    for _ in $(seq 600); do
        xprop -id "$window" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE && break
        sleep 0.05
    done
    wmctrl -r "$title" -b remove,above
}
# X gives the program the move before a key pressed after it: once the menu
# that key opens shows, the program has seen the move, and whatever it asked
# of the window manager in answer is queued there ahead of our next request.
press_and_wait "$pid" alt+f "$(showing "$pid")"
window_manager_caught_up
press_and_wait "$pid" Escape "$(showing "$pid")"
[ "$(place)" = "${moved:-}" ] && r=ok || r=no
check "left where the user put it" "$r" "moved to ${moved:-nowhere}, then to $(place)"
kill "$xev_pid"
# The frame's story in the root window's events: "map X Y W H" as it was
# mapped, "at X Y W H" for each place after that, "user" when the user moved.
frame=$(xwininfo -tree -id "$window" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p')
story=$(awk -v frame="$frame" '
    /^[A-Za-z]+ event/ { kind = $1; next }
    kind == "ConfigureNotify" && index($0, "window " frame ",") {
        match($0, /\(-?[0-9]+,-?[0-9]+\), width [0-9]+, height [0-9]+/)
        geometry = substr($0, RSTART, RLENGTH); gsub(/[^-0-9]+/, " ", geometry)
        if (mapped) print "at" geometry
    }
    kind == "MapNotify" && index($0, "window " frame ",") && !mapped { mapped = 1; print "map" geometry }
    kind == "PropertyNotify" && mapped && !user { user = 1; print "user" }
' "$work/root-events")
read -r _ fx fy fw fh < <(grep '^map' <<<"$story")
read -r sw sh < <(xwininfo -root | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w, h}')
[ -n "${fh:-}" ] && [ $(((2 * fx + fw - sw) ** 2)) -le 4 ] && [ $(((2 * fy + fh - sh) ** 2)) -le 4 ] && r=ok || r=no
check "centred when mapped" "$r" "its frame was mapped at ${fx:-?},${fy:-?} ${fw:-?}x${fh:-?} on ${sw}x${sh}"
moves=$(sed -n '/^map/,/^user/p' <<<"$story" | grep '^at' | awk -v x="${fx:-}" -v y="${fy:-}" '$2 != x || $3 != y')
[ -z "$moves" ] && r=ok || r=no
check "not moved by the program" "$r" "its frame went on to: $(tr '\n' ';' <<<"$moves")"
import -window root "$shot-list.png"

size() { xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p'; }
before=$(size)
wmctrl -r "$title" -b add,maximized_vert,maximized_horz
window_manager_caught_up
after=$(size)
[ "$before" = "$after" ] && r=ok || r=no
check "not maximised" "$r" "$before became $after"
wmctrl -r "$title" -b remove,maximized_vert,maximized_horz
menu=$(( ${before#*x} - 465 ))
[ "${before%x*}" = 805 ] && [ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] && r=ok || r=no
check "client area" "$r" "window $before: not 805 wide and 465 below a menu bar"

# The Ohm's-law page: its tab is the first one. The pointer goes there first
# (the tab drawn as hovered); the page is there once the pixels change again.
drawn() { import -window "$window" rgb:- 2>/dev/null | md5sum; }
xdotool mousemove --window "$window" 100 $((menu + 12))
list_page=$(drawn)
for _ in $(seq 600); do
    sleep 0.05
    now=$(drawn)
    [ "$now" = "$list_page" ] && break
    list_page=$now
done
xdotool click 1
for _ in $(seq 600); do [ "$(drawn)" != "$list_page" ] && break; sleep 0.05; done

# Each box's text, copied to the clipboard as a user would copy it (the
# boxes' centres in the window, from the layout). A box read is then typed
# over, so a click that missed its box reads the previous box's new text.
for y in $((menu + 85)) $((menu + 133)) $((menu + 181)) $((menu + 229)); do
    xdotool mousemove --window "$window" 140 "$y" click 1
    printf 'nothing copied' | xclip -selection clipboard
    xdotool key ctrl+a ctrl+c
    for _ in $(seq 600); do
        text=$(xclip -o -selection clipboard 2>/dev/null || true)
        [ "$text" != "nothing copied" ] && break
        sleep 0.05
    done
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
# A platform or scale factor that cannot work, with a working X display: the
# line names what failed, not the display.
for setting in QT_QPA_PLATFORM=wayland QT_SCALE_FACTOR=0; do
    said=$(timeout 20 env -u WAYLAND_DISPLAY "$setting" "$work/zentorix" 2>&1 >/dev/null)
    code=$?
    [ "$code" = 1 ] && [ "$(wc -l <<<"$said")" = 1 ] && [[ "$said" == *"$setting"* ]] && [[ "$said" != *"DISPLAY=:"* ]] &&
        r=ok || r=no
    check "$setting" "$r" "exit $code, said: $said"
done
finish
