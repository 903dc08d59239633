#!/usr/bin/env bash
# The settings file as the built program meets it: read at start, written at
# exit beside the executable under the executable's name, and a file that
# cannot be written gives one error box at exit and exit code 0, leaving the
# file untouched.
# usage: settings_exit_test.sh PROGRAM
set -uo pipefail
program=$1
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"

start_session
work=$(mktemp -d)
chmod 755 "$work"
share_sanitizer_files "$work"
trap 'stop_session; chmod -R u+w "$work"; rm -rf "$work"' EXIT

# Runs the program (as the given user), closes its main window, and sets
# box_text (the error box's text, copied with Ctrl+C) and exit_code.
run_and_close() {
    local executable=$1 user=$2
    local -a runner=()
    if [ "$user" != root ]; then
        local runtime
        runtime=$(mktemp -d -p "$work")
        chown "$user" "$runtime"
        runner=(setpriv --reuid="$user" --regid="$user" --clear-groups env HOME=/tmp XDG_RUNTIME_DIR="$runtime")
    fi
    "${runner[@]}" env ${program_locale:+LC_ALL="$program_locale"} "$executable" 2>/dev/null &
    local pid=$!
    box_text=""
    if ! wait_for_windows 1; then
        exit_code="no window"
        kill "$pid" 2>/dev/null
        return
    fi
    local main box=""
    main=$(windows_titled "$title" | head -n 1)
    printf '' | xclip -selection clipboard
    wmctrl -c "$title"
    # The main window goes; the program ends, or an error box under the same
    # title comes first.
    for _ in $(seq 600); do
        kill -0 "$pid" 2>/dev/null || break
        box=$(windows_titled "$title" | grep -vx "$main" | tail -n 1)
        [ -n "$box" ] && break
        sleep 0.05
    done
    if [ -n "$box" ]; then
        # Real key presses to the box, as a user would press them.
        xdotool windowactivate --sync "$box" 2>/dev/null
        xdotool key ctrl+c
        for _ in $(seq 600); do
            box_text=$(xclip -o -selection clipboard 2>/dev/null || true)
            [ -n "$box_text" ] && break
            sleep 0.05
        done
        xdotool key Return
    fi
    # A second box would keep the program alive.
    wait_for_exit "$pid" || { box_text="$box_text (and another box)"; exit_code="did not end"; }
}

# Root makes a settings file beside an executable only where no one else can
# reach it: root's copies live here.
mine="$work/root-only"
mkdir -m 700 "$mine"

# 1. An executable named "other" reads and writes "other.ini" beside it.
mkdir "$mine/my.tools"
cp "$program" "$mine/my.tools/other"
run_and_close "$mine/my.tools/other" root
[ "$(cat "$mine/my.tools/other.ini" 2>/dev/null)" = $'[Setting]\nbChinese=1' ] && r=ok || r=no
check "first run" "$r" "other.ini holds '$(cat "$mine/my.tools/other.ini" 2>/dev/null)'"
[ "$exit_code" = 0 ] && [ -z "$box_text" ] && r=ok || r=no
check "first run exit" "$r" "exit $exit_code, box '$box_text'"
printf '; kept\n[Setting]\nbChinese=0\n[Other]\nx=1\n' >"$mine/my.tools/other.ini"
run_and_close "$mine/my.tools/other" root
[ "$(cat "$mine/my.tools/other.ini")" = $'; kept\n[Setting]\nbChinese=0\n[Other]\nx=1' ] && r=ok || r=no
check "flag read and written back" "$r" "other.ini holds '$(cat "$mine/my.tools/other.ini")'"
[ ! -e "$mine/my.ini" ] && [ ! -e "$mine/my.tools/other.tools.ini" ] && r=ok || r=no
check "no file elsewhere" "$r" "a settings file outside the executable's name"

# 2. A signal (a logout, Ctrl+C, kill) closes the window as File > Exit does:
#    the language chosen in the session is saved, exit code 0, no box; even
#    with a dialog open, and when more signals follow at once (a logout sends
#    TERM, then HUP).
#    A hangup that nohup had the program ignore stays ignored.
for signal in TERM INT HUP "TERM HUP INT" "nohup HUP TERM"; do
    name=$signal
    folder="$mine/signal-${signal// /-}"
    mkdir -p "$folder"
    cp "$program" "$folder/zentorix"
    if [[ $signal == nohup* ]]; then
        nohup "$folder/zentorix" >/dev/null 2>&1 &
        signal=${signal#nohup }
    else
        # As from a terminal: a script's background job starts with SIGINT
        # ignored.
        env --default-signal "$folder/zentorix" 2>/dev/null &
    fi
    pid=$!
    wait_for_windows 1
    xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)" 2>/dev/null
    if [ "$signal" = "HUP TERM" ]; then
        # Ignored, the hangup leaves the window working: the language chosen
        # after it is saved when TERM ends the program.
        kill -HUP "$pid"
        signal=TERM
    fi
    menu_command "$pid" s e  # English
    [ "$signal" = HUP ] && { menu_command "$pid" h a; wait_showing "$pid" 2; }  # the about box open
    for one in $signal; do kill -"$one" "$pid"; done
    wait_for_exit "$pid" || true
    ini="$folder/zentorix.ini"
    [ "$exit_code" = 0 ] && [ "$(cat "$ini" 2>/dev/null)" = $'[Setting]\nbChinese=0' ] && r=ok || r=no
    check "SIG$name" "$r" "exit $exit_code, settings '$(cat "$ini" 2>/dev/null)'"
done

# The X server going away (as it may first at a logout) ends the program,
# the settings saved.
mkdir "$mine/display-gone"
cp "$program" "$mine/display-gone/zentorix"
displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
gone_pid=$!
for _ in $(seq 600); do [ -s "$displayfile" ] && break; sleep 0.05; done
DISPLAY=":$(cat "$displayfile")" "$mine/display-gone/zentorix" 2>/dev/null &
pid=$!
DISPLAY=":$(cat "$displayfile")" xdotool search --sync --onlyvisible --name "^${title}\$" >/dev/null
kill "$gone_pid"
wait_for_exit "$pid" || true
ini="$mine/display-gone/zentorix.ini"
[ "$exit_code" != timeout ] && [ "$(cat "$ini" 2>/dev/null)" = $'[Setting]\nbChinese=1' ] && r=ok || r=no
check "X server gone" "$r" "exit $exit_code, settings '$(cat "$ini" 2>/dev/null)'"
rm -f "$displayfile"

# 3. Files that cannot be written: one box at exit, exit code 0, file as it was.
expect_failure() {
    local name=$1 user=$2 ini=$3
    local before
    before=$(stat -c '%a %s %Y' "$ini" 2>/dev/null; cat "$ini" 2>/dev/null)
    run_and_close "$4" "$user"
    case "$box_text" in
    *"Unable to write to $ini."*"(and another box)"*) r=no ;;
    *"Unable to write to $ini."*) r=ok ;;
    *) r=no ;;
    esac
    check "$name: box" "$r" "box text '$box_text'"
    [ "$exit_code" = 0 ] && r=ok || r=no
    check "$name: exit" "$r" "exit code $exit_code"
    [ "$(stat -c '%a %s %Y' "$ini" 2>/dev/null; cat "$ini" 2>/dev/null)" = "$before" ] && r=ok || r=no
    check "$name: untouched" "$r" "the file changed"
}

mkdir "$work/readonly"
cp "$program" "$work/readonly/zentorix"
printf '[Setting]\nbChinese=0\n' >"$work/readonly/zentorix.ini"
chmod 444 "$work/readonly/zentorix.ini"
expect_failure "read-only file" root "$work/readonly/zentorix.ini" "$work/readonly/zentorix"

mkdir -p "$work/directory/zentorix.ini"
cp "$program" "$work/directory/zentorix"
expect_failure "directory in its place" root "$work/directory/zentorix.ini" "$work/directory/zentorix"

# The same under a GBK locale, from a folder whose name is UTF-8: the box
# names the folder as it is.
mkdir -p "$work/帮助 folder/zentorix.ini"
cp "$program" "$work/帮助 folder/zentorix"
program_locale=zh_CN.GBK
expect_failure "a UTF-8 folder name under GBK" root "$work/帮助 folder/zentorix.ini" "$work/帮助 folder/zentorix"
program_locale=

mkdir "$work/locked"
cp "$program" "$work/locked/zentorix"
printf '[Setting]\nbChinese=0\n' >"$work/locked/zentorix.ini"
chmod 644 "$work/locked/zentorix.ini"
chmod 555 "$work/locked"
expect_failure "unwritable folder, unprivileged user" 65534 "$work/locked/zentorix.ini" "$work/locked/zentorix"

finish
