#!/usr/bin/env bash
# The outside-in suite (outside_in.py): the built program in an X server of
# its own with a window manager, a D-Bus session and the accessibility bus.
# usage: outside_in_test.sh PROGRAM SCREENSHOT-PREFIX
set -uo pipefail
here=$(dirname "$0")
source "$here/../../tools/xsession.sh"
XVFB_SCREEN=2560x1600x24 start_session  # room for the windows at scale 2
trap stop_session EXIT
# The accessibility bus starts with the session bus, on the first request.
dbus-run-session -- /usr/bin/python3 "$here/outside_in.py" "$1" "$2" 2> >(grep -v -e '^dbus-daemon' -e 'SpiRegistry' >&2)
