#!/usr/bin/env bash
# Screenshots of both pages and both dialogs, for the README and the AppStream
# metadata: the built program under Xvfb with openbox, driven as a user would.
# usage: tools/screenshots.sh [PROGRAM [FOLDER]]
#   defaults: build/bin/zentorix, desktop/screenshots
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/bin/zentorix}
folder=${2:-$here/../desktop/screenshots}
source "$here/xsession.sh"

work=$(mktemp -d)
start_session
trap 'stop_session; rm -rf "$work"' EXIT
mkdir -p "$folder"
cp "$program" "$work/zentorix"  # its settings file stays in the scratch folder
"$work/zentorix" 2>/dev/null &
pid=$!
wait_for_windows 1
main=$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)
xdotool windowactivate --sync "$main"

# The window with its frame, as the user sees it on the desktop.
shoot() {  # shoot WINDOW-NAME FILE
    local window=""
    for _ in $(seq 600); do
        window=$(xdotool search --onlyvisible --name "^$1\$" | tail -n 1) && [ -n "$window" ] && break
        sleep 0.05
    done
    sleep 0.4  # the first paint
    import -frame -window "$window" "$folder/$2"
}
click() {  # click X Y, in the main window's client area
    xdotool mousemove --window "$main" "$1" "$2" click 1
    sleep 0.3
}

menu_bar=$(xdotool getwindowgeometry "$main" | awk '/Geometry/ { split($2, s, "x"); print s[2] - 465 }')
click 533 $((menu_bar + 165))    # Compute Values, on the list page
shoot "$title" series.png
click 140 $((menu_bar + 18))     # the Ohm's-law page
click 124 $((menu_bar + 266))    # Sample Datas
shoot "$title" ohm.png
menu_command "$pid" h a
shoot "关于本软件About" about.png
press_and_wait "$pid" Return "$(showing "$pid")"
menu_command "$pid" h p
shoot "手机二维码访问本软件网站Visite with 2-Dims Code" phone.png
press_and_wait "$pid" Escape "$(showing "$pid")"
wmctrl -c "$title"
wait "$pid"
echo "screenshots in $folder"
