# Sourced by the real-window tests and the run command: an X server of their
# own (Xvfb, open to every local user so a test may run the program
# unprivileged) with the openbox window manager, and helpers to find windows.

title="Zentorix2024电阻计算器2024"

start_session() {
    local displayfile
    unset WAYLAND_DISPLAY  # the program on this X server, whatever the caller's desktop
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -ac -screen 0 "${XVFB_SCREEN:-1280x800x24}" -nolisten tcp 3>"$displayfile" 2>/dev/null &
    xvfb_pid=$!
    # Deadlines are generous: a loaded machine (ctest -j) starts slowly.
    for _ in $(seq 600); do [ -s "$displayfile" ] && break; sleep 0.05; done
    [ -s "$displayfile" ] || { echo "FAIL: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(cat "$displayfile")"
    rm -f "$displayfile"
    start_window_manager
}

# openbox on the display already set.
start_window_manager() {
    # Qt wants a private runtime folder; a fresh session has none.
    if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
        XDG_RUNTIME_DIR=$(mktemp -d)
        own_runtime_dir=$XDG_RUNTIME_DIR
        export XDG_RUNTIME_DIR
    fi
    local log
    log=$(mktemp)
    # An openbox that ends at once (seen, rarely, on a loaded machine) is
    # started again; what it said is shown when it never comes up.
    for _ in 1 2 3; do
        openbox >"$log" 2>&1 &
        openbox_pid=$!
        for _ in $(seq 600); do
            wmctrl -m >/dev/null 2>&1 && { rm -f "$log"; return 0; }
            kill -0 "$openbox_pid" 2>/dev/null || break
            sleep 0.05
        done
        kill "$openbox_pid" 2>/dev/null
        wait "$openbox_pid" 2>/dev/null
    done
    echo "FAIL: openbox did not start on $DISPLAY: $(cat "$log")" >&2
    rm -f "$log"
    stop_session
    exit 1
}

stop_session() {
    kill "$openbox_pid" ${xvfb_pid:-} 2>/dev/null || true
    wait "$openbox_pid" ${xvfb_pid:-} 2>/dev/null || true
    [ -n "${own_runtime_dir:-}" ] && rm -rf "$own_runtime_dir"
    return 0
}

# The number of windows with the program's title.
count_windows() {
    wmctrl -l 2>/dev/null | grep -cF "$title" || true
}

# The windows the window manager shows under TITLE exactly, oldest first: by
# their UTF-8 title (_NET_WM_NAME). Qt sets the older WM_NAME in the locale's
# encoding from UTF-8 bytes, which under a GBK locale garbles it.
windows_titled() {  # windows_titled TITLE
    wmctrl -l | awk -v wanted="$1" 'match($0, /^[^ ]+ +[^ ]+ +[^ ]+ /) && substr($0, RLENGTH + 1) == wanted { print $1 }'
}

# Waits until N windows carry the title; fails after 30 s.
wait_for_windows() {
    local wanted=$1
    for _ in $(seq 600); do
        [ "$(count_windows)" -eq "$wanted" ] && return 0
        sleep 0.05
    done
    return 1
}

# Waits for process PID to end (at most 30 s) and sets exit_code.
wait_for_exit() {
    local pid=$1
    exit_code=timeout
    for _ in $(seq 600); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid" && exit_code=0 || exit_code=$?
            return 0
        fi
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    return 1
}

# The program's windows that are showing, one id a line: its main window,
# its dialogs and boxes, an open menu.
showing() {  # showing PID
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | sort
}

# Waits (at most 30 s) until the program PID shows N windows.
wait_showing() {  # wait_showing PID N
    for _ in $(seq 600); do
        [ "$(showing "$1" | wc -l)" = "$2" ] && return 0
        sleep 0.05
    done
    return 1
}

# Presses KEY, then waits (at most 30 s) until the program PID shows other
# windows than WINDOWS (as `showing` gives them): a menu has opened or
# closed, a dialog come or gone.
press_and_wait() {  # press_and_wait PID KEY WINDOWS
    xdotool key "$2"
    for _ in $(seq 600); do
        [ "$(showing "$1")" != "$3" ] && return 0
        sleep 0.05
    done
    return 1
}

# A menu command by keyboard, as a user gives it: Alt+LETTER opens the menu,
# and ITEM-KEY is pressed once the menu shows.
menu_command() {  # menu_command PID LETTER ITEM-KEY
    press_and_wait "$1" "alt+$2" "$(showing "$1")" || return 1
    press_and_wait "$1" "$3" "$(showing "$1")"
}

# Lets a program run as another user read the leak checker's suppressions:
# the file named in LSAN_OPTIONS is copied into FOLDER (one that user can
# read), as the source tree may be its owner's alone (a home of mode 0700).
share_sanitizer_files() {  # share_sanitizer_files FOLDER
    local options=${LSAN_OPTIONS:-} file
    file=$(sed -nE 's/^(.*:)?suppressions=([^:]*).*/\2/p' <<<"$options")
    [ -n "$file" ] && [ -f "$file" ] || return 0
    install -m 644 "$file" "$1/lsan.supp"
    export LSAN_OPTIONS=${options/suppressions=$file/suppressions=$1/lsan.supp}
}

# A screenshot of WINDOW (an id, or root) in FILE.ppm, taken once two pictures
# in a row are the same: a window just shown may still be painting.
settled_shot() {  # settled_shot WINDOW FILE
    import -window "$1" -depth 8 "$2.ppm"
    for _ in $(seq 100); do
        import -window "$1" -depth 8 "$2-next.ppm"
        cmp -s "$2.ppm" "$2-next.ppm" && break
        mv "$2-next.ppm" "$2.ppm"
    done
    rm -f "$2-next.ppm"
}

failures=0
passes=0
check() {  # check NAME CONDITION-RESULT MESSAGE
    if [ "$2" = ok ]; then
        passes=$((passes + 1))
    else
        echo "FAIL: $1: $3"
        failures=$((failures + 1))
    fi
}

finish() {
    echo "$passes passed, $failures failed"
    [ "$failures" -eq 0 ]
}
