#!/usr/bin/env bash
# What a desktop may do to the program, each time on an X server of the
# test's own: a window manager that is slow to tell the frame or lies about
# it, a screen smaller than the window, a theme's large font, a fractional
# scale, and clipboard owners that answer one request and go away, or never
# answer. The window is placed on the screen,
# the program keeps working, and the language chosen is saved at exit.
# usage: hostile_desktop_test.sh PROGRAM LYING-WM CLIPBOARD-OWNER
set -uo pipefail
program=$1 lying_wm=$2 owner=$3
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"

work=$(mktemp -d)  # root's alone: the settings file goes beside the copy
trap 'stop_display; kill "${owner_pid:-}" 2>/dev/null; rm -rf "$work"' EXIT
cp "$program" "$work/zentorix"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY

# Xvfb at 1280 x 800 with the lying window manager, given its answer.
start_display() {  # start_display LEFT RIGHT TOP BOTTOM DELAY-MS
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 600); do [ -s "$work/display" ] && break; sleep 0.05; done
    export DISPLAY=":$(cat "$work/display")"
    "$lying_wm" "$@" >"$work/wm" &
    wm_pid=$!
    for _ in $(seq 600); do grep -q ready "$work/wm" && break; sleep 0.05; done
}

stop_display() {
    kill "${wm_pid:-}" "${xvfb_pid:-}" 2>/dev/null
    wait "${wm_pid:-}" "${xvfb_pid:-}" 2>/dev/null
    wm_pid="" xvfb_pid=""
}

# Starts a fresh copy of the program (signals as from a terminal) and sets
# pid, window and the window's X, Y, WIDTH and HEIGHT.
start_program() {  # start_program FOLDER [ENV...]
    mkdir -p "$1"
    cp "$work/zentorix" "$1/zentorix"
    env --default-signal "${@:2}" "$1/zentorix" 2>/dev/null &
    pid=$!
    window="" X=0 Y=0 WIDTH=0 HEIGHT=0
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        sleep 0.05
    done
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)"
}

# Chooses English by keyboard, ends the program with SIGTERM, and checks that
# it ended well with the choice saved.
english_then_close() {  # english_then_close NAME FOLDER
    xdotool windowfocus --sync "$window" 2>/dev/null
    menu_command "$pid" s e
    kill -TERM "$pid" 2>/dev/null
    wait_for_exit "$pid" || true
    [ "$exit_code" = 0 ] && [ "$(cat "$2/zentorix.ini" 2>/dev/null)" = $'[Setting]\nbChinese=0' ] && r=ok || r=no
    check "$1: still working, saved" "$r" "exit $exit_code, settings '$(cat "$2/zentorix.ini" 2>/dev/null)'"
}

# 1. Placement. The frame is believed when sane: the window with it is
#    centred. A frame wider than a quarter of the screen is not: the window
#    alone is centred. A window larger than the screen has its frame's top
#    left corner on the screen's. Positions in the screen's pixels.
while read -r name left right top bottom delay scale expect; do
    start_display "$left" "$right" "$top" "$bottom" "$delay"
    start_program "$work/place-$name" QT_SCALE_FACTOR="$scale"
    # Centres to a pixel: of the frame, of the window alone, or the corner.
    near() { [ $(($1 - $2)) -ge -1 ] && [ $(($1 - $2)) -le 1 ]; }
    case $expect in
    framed) near $(((X - left + X + WIDTH + right) / 2)) 640 && near $(((Y - top + Y + HEIGHT + bottom) / 2)) 400 ;;
    alone) near $(((2 * X + WIDTH) / 2)) 640 && near $(((2 * Y + HEIGHT) / 2)) 400 ;;
    corner) [ "$X" = "$left" ] && [ "$Y" = "$top" ] ;;
    esac && r=ok || r=no
    [ "${HEIGHT:-0}" -ge 400 ] || r=no
    check "placement, $name" "$r" "window at ($X, $Y), $WIDTH x $HEIGHT; frame $left $right $top $bottom"
    kill -TERM "$pid" 2>/dev/null
    wait_for_exit "$pid" || true
    stop_display
done <<'EOF'
answered-at-once 4 4 24 4 0 1 framed
answered-after-400-ms 4 4 24 4 400 1 framed
extents-of-0xFFFFFFFF 0xFFFFFFFF 0xFFFFFFFF 0xFFFFFFFF 0xFFFFFFFF 0 1 alone
extents-5000-0-3000-0 5000 0 3000 0 0 1 alone
twice-the-screen 4 4 24 4 0 2 corner
EOF

# 2. A platform theme with a large font (qt6ct's, set to 18 points): the
#    window is drawn as without it, both pages and a menu, to the pixel.
mkdir -p "$work/theme-config/qt6ct"
printf '%s\n' '[Fonts]' 'general="DejaVu Sans,18,-1,5,50,0,0,0,0,0"' \
    'fixed="DejaVu Sans Mono,18,-1,5,50,0,0,0,0,0"' >"$work/theme-config/qt6ct/qt6ct.conf"
start_display 4 4 24 4 0
for theme in none qt6ct; do
    if [ "$theme" = qt6ct ]; then
        start_program "$work/theme-$theme" QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/theme-config"
    else
        start_program "$work/theme-$theme" QT_QPA_PLATFORMTHEME=
    fi
    xdotool windowfocus --sync "$window"
    settled_shot "$window" "$work/$theme-list"
    xdotool key ctrl+Page_Up
    settled_shot "$window" "$work/$theme-ohm"
    press_and_wait "$pid" alt+f "$(showing "$pid")"
    settled_shot root "$work/$theme-menu"
    kill -TERM "$pid" 2>/dev/null
    wait_for_exit "$pid" || true
done
for shot in list ohm menu; do
    differ=$(compare -metric AE "$work/none-$shot.ppm" "$work/qt6ct-$shot.ppm" null: 2>&1)
    [ "$differ" = 0 ] && r=ok || r=no
    check "qt6ct at 18 points: $shot drawn as without it" "$r" "$differ pixels differ"
done

# At scale 1.5 the list box starts half a device pixel into a row: its frame
# is still drawn on all four sides. Its left edge is the first vertical line
# as long as the box is high (369 pixels, 553 at 1.5); its top and bottom
# rows must be lines too.
start_program "$work/scale-1.5" QT_SCALE_FACTOR=1.5
xdotool windowfocus --sync "$window"
settled_shot "$window" "$work/scale-1.5"
kill -TERM "$pid" 2>/dev/null
wait_for_exit "$pid" || true
frame=$(python3 - "$work/scale-1.5.ppm" <<'PY'
import sys
_, width, height, _, pixels = open(sys.argv[1], "rb").read().split(maxsplit=4)
width, height = int(width), int(height)
dark = lambda x, y: pixels[3 * (y * width + x)] < 200
for x in range(width // 4):
    run = 0
    for y in range(height + 1):
        if y < height and dark(x, y):
            run += 1
            continue
        if 550 <= run <= 556:
            line = lambda row: sum(dark(x + i, row) for i in range(300))
            print(f"top {line(y - run)} bottom {line(y - 1)}")
            sys.exit()
        run = 0
print("no frame")
PY
)
[ "$frame" = "top 300 bottom 300" ] && r=ok || r=no
check "scale 1.5: the list box's frame drawn whole" "$r" "of 300 pixels along its edges, dark: $frame"
stop_display

# 3. Pastes into the list from owners that misbehave. Each paste ends the
#    program in none of them, and the list asks no more often than a
#    quantity box does (an owner that never answers costs Qt's timeout per
#    request).
start_display 4 4 24 4 0
requests_of() {  # requests_of FILE: the requests an owner has had
    grep -c '^request' "$1" 2>/dev/null || true
}
paste_from() {  # paste_from SELECTION MODE KEYS...: sets requests
    "$owner" "$1" "$2" $'7\n8\n' >"$work/owner" &
    owner_pid=$!
    for _ in $(seq 600); do grep -q ready "$work/owner" && break; sleep 0.05; done
    shift 2
    xdotool "$@"
    # The paste has begun once a request came; it has ended once the window
    # answers again (a menu opens).
    for _ in $(seq 600); do [ "$(requests_of "$work/owner")" -gt 0 ] && break; sleep 0.05; done
    menu_command "$pid" s e
    requests=$(requests_of "$work/owner")
    kill "$owner_pid" 2>/dev/null
    wait "$owner_pid" 2>/dev/null
}

start_program "$work/paste-box"
xdotool windowfocus --sync "$window" key Tab  # the R box
paste_from CLIPBOARD never key ctrl+v
box_requests=$requests
english_then_close "a quantity box, owner never answers" "$work/paste-box"

while read -r name selection mode keys; do
    start_program "$work/paste-$name"
    # The list's page by its tab, then into the list (window coordinates).
    xdotool windowfocus --sync "$window" mousemove --window "$window" 420 38 click 1
    xdotool mousemove --window "$window" 100 200 click 1
    paste_from "$selection" "$mode" ${keys//WINDOW/$window}
    [ "$requests" -gt 0 ] && r=ok || r=no
    check "$name: the paste reached the owner" "$r" "no request"
    if [ "$mode" = never ]; then
        [ "$requests" -le "$box_requests" ] && r=ok || r=no
        check "$name: requests" "$r" "$requests requests, a quantity box makes $box_requests"
    fi
    english_then_close "$name" "$work/paste-$name"
done <<'EOF'
middle-click-owner-answers-once PRIMARY once mousemove --window WINDOW 100 200 click 2
ctrl+v-owner-answers-once CLIPBOARD once key ctrl+v
ctrl+v-owner-never-answers CLIPBOARD never key ctrl+v
EOF

finish
