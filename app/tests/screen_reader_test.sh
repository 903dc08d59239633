#!/usr/bin/env bash
# The screen-reader scenario (screen_reader.py): the built program and Orca in
# an X server of their own with a window manager and a D-Bus session.
# usage: screen_reader_test.sh PROGRAM
set -uo pipefail
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"
start_session
trap stop_session EXIT
dbus-run-session -- /usr/bin/python3 "$here/screen_reader.py" "$1" 2> >(grep -v -e '^dbus-daemon' -e 'SpiRegistry' >&2)
