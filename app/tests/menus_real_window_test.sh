#!/usr/bin/env bash
# The menu commands of the built program in a real X server, driven from the
# keyboard by their accelerators: Help > Web and Help > Content hand the
# address and the help file to the desktop (a recording xdg-open first on
# PATH), Help > Phone and Help > About show their dialogs (screenshots
# SHOT-phone.png and SHOT-about.png), File > Exit ends the program with 0.
# usage: menus_real_window_test.sh PROGRAM HELPFILE WEBSITE_HEADER SHOT
set -uo pipefail
program=$1
helpfile=$2
address=$(grep -o '"[a-z]*://[^"]*"' "$3" | tr -d '"')
shot=$4
source "$(dirname "$0")/../../tools/xsession.sh"

work=$(mktemp -d)
# A folder name that the help file's URL must percent-encode.
home="$work/帮助 Help folder"
mkdir "$home"
cp "$program" "$home/zentorix"
cp "$helpfile" "$home/zentorix.chm"
mkdir "$work/shim"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >>"%s/opened.log"\necho "${QT_QPA_PLATFORM-unset}" >"%s/platform"\n' \
    "$work" "$work" >"$work/shim/xdg-open"
chmod +x "$work/shim/xdg-open"
# A desktop of its own, where a CHM viewer is registered.
mkdir -p "$work/xdg/applications"
printf '[Desktop Entry]\nType=Application\nName=CHM\nExec=chmviewer %%f\nMimeType=application/vnd.ms-htmlhelp;\n' \
    >"$work/xdg/applications/chmviewer.desktop"
desktop=(XDG_CONFIG_HOME="$work/xdg" XDG_CONFIG_DIRS="$work/xdg" XDG_DATA_HOME="$work/xdg" XDG_DATA_DIRS="$work/xdg")
start_session
trap 'stop_session; rm -rf "$work"' EXIT

env PATH="$work/shim:$PATH" "${desktop[@]}" "$home/zentorix" 2>/dev/null &
pid=$!
wait_for_windows 1 && r=ok || r=no
check "main window" "$r" "no window titled $title"
window=$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)
xdotool windowactivate --sync "$window" 2>/dev/null

menu() {  # menu ALT-LETTER ITEM-LETTER
    menu_command "$pid" "$1" "$2"
}

# Waits until the log has N lines (at most 30 s) and prints line N.
opened() {
    for _ in $(seq 600); do
        [ "$(wc -l <"$work/opened.log" 2>/dev/null || echo 0)" -ge "$1" ] && break
        sleep 0.05
    done
    sed -n "$1p" "$work/opened.log" 2>/dev/null
}

menu h w
got=$(opened 1)
[ "$got" = "$address" ] && r=ok || r=no
check "Help > Web" "$r" "the desktop got '$got', not '$address'"

menu h c
url=$(opened 2)
path=$(printf '%b' "$(sed 's/%/\\x/g' <<<"${url#file://}")")  # percent-decoded
[ "$path" = "$home/zentorix.chm" ] && r=ok || r=no
check "Help > Content" "$r" "the desktop got '$url' ($path), not the help file"
[ "$(cat "$work/platform")" = unset ] && r=ok || r=no
check "launched as the user's" "$r" "the launcher got QT_QPA_PLATFORM=$(cat "$work/platform")"

# With no viewer registered, the HTML pages go to the browser at once.
rm "$work/xdg/applications/chmviewer.desktop"
mkdir "$home/zentorix-help"
echo '<html></html>' >"$home/zentorix-help/index.html"
menu h c
url=$(opened 3)
[ "$url" = "file://$(sed 's/ /%20/g; s/帮助/%E5%B8%AE%E5%8A%A9/' <<<"$home")/zentorix-help/index.html" ] && r=ok || r=no
check "Help > Content, no viewer" "$r" "the desktop got '$url', not the pages"

dialog_shot() {  # dialog_shot TITLE FILE CLOSE-KEY
    local found=no
    for _ in $(seq 600); do
        wmctrl -l | grep -qF "$1" && { found=ok; break; }
        sleep 0.05
    done
    check "dialog $1" "$found" "it did not appear"
    settled_shot root "$2"
    convert "$2.ppm" "$2"
    rm -f "$2.ppm"
    xdotool key "$3"
    for _ in $(seq 600); do
        wmctrl -l | grep -qF "$1" || break
        sleep 0.05
    done
    wmctrl -l | grep -qF "$1" && r=no || r=ok
    check "dialog $1 closed" "$r" "$3 did not close it"
}
menu h p
dialog_shot "手机二维码访问本软件网站Visite with 2-Dims Code" "$shot-phone.png" Escape
menu h a
dialog_shot "关于本软件About" "$shot-about.png" Return
echo "screenshots: $shot-phone.png $shot-about.png"

menu f e
wait_for_exit "$pid" || true
[ "$exit_code" = 0 ] && r=ok || r=no
check "File > Exit" "$r" "exit code $exit_code"

# Under a GBK locale the folder's UTF-8 name shows as it is: the notice for a
# missing help file, copied from its box with Ctrl+C, names the folder right.
rm "$home/zentorix.chm"
env LC_ALL=zh_CN.GBK "$home/zentorix" 2>/dev/null &
pid=$!
wait_for_windows 1
xdotool windowactivate --sync "$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)" 2>/dev/null
printf '' | xclip -selection clipboard
menu h c
for _ in $(seq 600); do wmctrl -l | grep -qF "系统提示System Hint" && break; sleep 0.05; done
xdotool key ctrl+c
for _ in $(seq 600); do
    copied=$(xclip -o -selection clipboard 2>/dev/null)
    [ -n "$copied" ] && break
    sleep 0.05
done
grep -qF "不能打开帮助文件$home/zentorix.chm" <<<"$copied" && r=ok || r=no
check "a UTF-8 folder name under GBK" "$r" "the notice was copied as '$copied'"
kill "$pid" 2>/dev/null
finish
