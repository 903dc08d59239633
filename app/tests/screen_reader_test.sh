#!/usr/bin/env bash
# The screen-reader scenario (screen_reader.py): the built program and Orca in
# an X server of their own with a window manager and a D-Bus session, and in
# a PID namespace of their own. Orca will not start while it sees another
# Orca of the same user, and its replace step kills every one it sees: in
# the namespace it sees none, so the user's own screen reader is neither
# ended nor in the way.
# usage: screen_reader_test.sh PROGRAM
set -uo pipefail
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"
start_session
trap stop_session EXIT
namespace=(unshare --pid --fork --mount-proc --kill-child)
[ "$(id -u)" = 0 ] || namespace=(unshare --user --map-current-user --pid --fork --mount-proc --kill-child)
"${namespace[@]}" dbus-run-session -- /usr/bin/python3 "$here/screen_reader.py" "$1" 2> >(grep -v -e '^dbus-daemon' -e 'SpiRegistry' >&2)
