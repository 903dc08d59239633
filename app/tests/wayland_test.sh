#!/usr/bin/env bash
# The built program on a Wayland desktop (a headless Weston), alone and with
# an X server beside it as on a GNOME or KDE session with XWayland: it runs as
# a Wayland client (its window on the compositor, none on the X server), and
# SIGTERM, as at a logout, ends it with the settings written.
# usage: wayland_test.sh PROGRAM
set -uo pipefail
program=$1
source "$(dirname "$0")/../../tools/xsession.sh"

work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=wayland-zentorix --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
trap 'kill $weston_pid 2>/dev/null; wait $weston_pid 2>/dev/null; [ -n "${xvfb_pid:-}" ] && stop_session; rm -rf "$work"' EXIT
for _ in $(seq 600); do [ -S "$XDG_RUNTIME_DIR/wayland-zentorix" ] && break; sleep 0.05; done

# Waits until file $1 holds a line that matches the basic regular
# expression $2 (at most 30 s).
wait_for_line() {
    for _ in $(seq 600); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.05; done
    return 1
}

for beside in "no X server" "an X server"; do
    if [ "$beside" = "an X server" ]; then
        start_session  # sets DISPLAY
        export XDG_SESSION_TYPE=wayland
    else
        unset DISPLAY
    fi
    folder="$work/$(tr ' ' - <<<"$beside")"
    mkdir "$folder"
    cp "$program" "$folder/zentorix"
    # The protocol log shows what the program asks of the compositor.
    WAYLAND_DISPLAY=wayland-zentorix WAYLAND_DEBUG=1 "$folder/zentorix" 2>"$folder/protocol.log" &
    pid=$!
    # A toplevel with the title, and its first buffer: the window is shown.
    # libwayland names an object wl_buffer@17 up to 1.22, wl_buffer#17 from 1.23 on.
    wait_for_line "$folder/protocol.log" "set_title(\"$title\")" &&
        wait_for_line "$folder/protocol.log" '\.attach(wl_buffer[@#]' && r=ok || r=no
    check "$beside: a Wayland window" "$r" "no toplevel titled $title on the compositor"
    if [ -n "${DISPLAY:-}" ]; then
        [ "$(count_windows)" -eq 0 ] && r=ok || r=no
        check "$beside: nothing on X" "$r" "a window titled $title on the X server"
    fi
    kill -TERM "$pid"
    wait_for_exit "$pid" || true
    [ "$exit_code" = 0 ] && grep -q '^bChinese=1' "$folder/zentorix.ini" 2>/dev/null && r=ok || r=no
    check "$beside: SIGTERM saves" "$r" "exit $exit_code, settings: $(cat "$folder/zentorix.ini" 2>&1)"
done

# The compositor going away (it crashed, or the session ended under it) ends
# the program, the settings saved, as the X server going away does.
weston --backend=headless-backend.so --socket=wayland-doomed --idle-time=0 >"$work/doomed.log" 2>&1 &
doomed_pid=$!
for _ in $(seq 600); do [ -S "$XDG_RUNTIME_DIR/wayland-doomed" ] && break; sleep 0.05; done
mkdir "$work/compositor-gone"
cp "$program" "$work/compositor-gone/zentorix"
WAYLAND_DISPLAY=wayland-doomed WAYLAND_DEBUG=1 "$work/compositor-gone/zentorix" 2>"$work/compositor-gone/protocol.log" &
pid=$!
wait_for_line "$work/compositor-gone/protocol.log" '\.attach(wl_buffer[@#]'
kill "$doomed_pid"
wait "$doomed_pid" 2>/dev/null
wait_for_exit "$pid" || true
ini="$work/compositor-gone/zentorix.ini"
[ "$exit_code" != timeout ] && grep -q '^bChinese=1' "$ini" 2>/dev/null && r=ok || r=no
check "compositor gone" "$r" "exit $exit_code, settings: $(cat "$ini" 2>&1)"
finish
