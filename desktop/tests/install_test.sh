#!/usr/bin/env bash
# The program as installed: `cmake --install` into a temporary prefix, the
# desktop files validated, then the installed program run from bin/zentorix
# under Xvfb. Per user (a prefix this user can write): settings and help
# beside the executable. System-wide (root's install, run as an unprivileged
# user): settings in the user's configuration folder, surviving a restart,
# no box at exit; help through a failing or missing launcher; an upgrade that
# replaces the running executable changes neither file it uses.
# usage: install_test.sh BUILD-FOLDER
set -uo pipefail
build=$1
source "$(dirname "$0")/../../tools/xsession.sh"

work=$(mktemp -d)
chmod 755 "$work"
share_sanitizer_files "$work"
prefix="$work/prefix"
private="$prefix/libexec/zentorix"
id=org.zentorix.Zentorix
trap 'stop_session; rm -rf "$work"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null
check "install" "$([ -x "$private/zentorix" ] && echo ok)" "no executable in $private"
for help in zentorix/zentorix.chm:zentorix.chm help/C/zentorix/index.html:zentorix-help/index.html; do
    shared=${help%%:*} beside=${help#*:}
    [ -f "$prefix/share/$shared" ] && [ -L "$private/${beside%%/*}" ] && [ -f "$private/$beside" ] && r=ok || r=no
    check "share/$shared, linked beside the executable" "$r" "$(ls -l "$private" 2>&1)"
done

# The files a desktop reads.
out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) && [ -z "$out" ] && r=ok || r=no
check "desktop entry" "$r" "$out"
out=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) && r=ok || r=no
check "AppStream metadata" "$r" "$out"
for size in 16 24 32 48 64 128 256; do
    got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" 2>/dev/null)
    check "icon $size" "$([ "$got" = "${size}x$size" ] && echo ok)" "got '$got'"
done
check "scalable icon" "$([ -s "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] && echo ok)" "missing"
check "manual page" "$(zcat "$prefix/share/man/man1/zentorix.1.gz" 2>/dev/null | grep -q '^\.TH ZENTORIX 1' && echo ok)" "missing"
link=$(readlink "$prefix/bin/zentorix")
check "bin link" "$([ "$link" = ../libexec/zentorix/zentorix ] && echo ok)" "bin/zentorix -> '$link'"

start_session
mkdir "$work/shim" "$work/empty"
# A recording launcher: it logs each URL, then exits with the status that
# $work/answer names for that kind of file (0 when nothing is said).
cat >"$work/shim/xdg-open" <<SHIM
#!/bin/sh
printf '%s\n' "\$1" >>"$work/opened.log"
case "\$1" in
*.chm) exit \$(/bin/cat "$work/answer-chm" 2>/dev/null || echo 0) ;;
*) exit 0 ;;
esac
SHIM
chmod 755 "$work/shim/xdg-open"
# The desktop's data: a CHM viewer registered for the help file's type.
mkdir -p "$work/desktop/applications"
printf '[Desktop Entry]\nType=Application\nName=CHM\nExec=chmviewer %%f\nMimeType=application/vnd.ms-htmlhelp;\n' \
    >"$work/desktop/applications/chmviewer.desktop"
chmod -R a+rX "$work/desktop"

# Starts the installed program as USER with PATH; sets pid.
# Root's runs stand for the owner of a per-user install: the work folder is
# then closed to others (root makes a settings file beside an executable only
# where no one else reaches it), and root's HOME is one of the test's own.
start() {  # start USER PATH
    local -a runner=(env HOME="$work/root-home")
    chmod 700 "$work"
    if [ "$1" != root ]; then
        chmod 755 "$work"
        runner=(setpriv --reuid="$1" --regid="$1" --clear-groups env HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime")
    fi
    "${runner[@]}" env -u XDG_CONFIG_HOME XDG_DATA_HOME="$work/empty" XDG_DATA_DIRS="$work/desktop" \
        XDG_CONFIG_DIRS="$work/empty" PATH="$2" "$prefix/bin/zentorix" 2>/dev/null &
    pid=$!
    wait_for_windows 1 || { echo "FAIL: no main window"; failures=$((failures + 1)); }
    window=$(xdotool search --onlyvisible --name "^${title}\$" | head -n 1)
    xdotool windowactivate --sync "$window" 2>/dev/null
}

# Waits until the log holds N lines (at most 30 s) and prints them.
opened() {
    for _ in $(seq 600); do
        [ "$(cat "$work/opened.log" 2>/dev/null | wc -l)" -ge "$1" ] && break
        sleep 0.05
    done
    cat "$work/opened.log" 2>/dev/null
}

# Closes the main window; sets exit_code, and boxes to the windows left.
stop() {
    wmctrl -c "$title"
    wait_for_exit "$pid" || true
    boxes=$(count_windows)
}

chm_url="file://$private/zentorix.chm"
pages_url="file://$private/zentorix-help/index.html"

# 1. Per user: help and settings beside the executable.
start root "$work/shim"
menu_command "$pid" h c
check "per user: help" "$([ "$(opened 1)" = "$chm_url" ] && echo ok)" "requests: $(opened 1)"
stop
check "per user: exit" "$([ "$exit_code" = 0 ] && echo ok)" "exit $exit_code"
check "per user: settings beside" "$([ "$(cat "$private/zentorix.ini" 2>/dev/null)" = $'[Setting]\nbChinese=1' ] && echo ok)" \
    "zentorix.ini holds '$(cat "$private/zentorix.ini" 2>/dev/null)'"
rm -f "$private/zentorix.ini"
: >"$work/opened.log"
chmod 666 "$work/opened.log"  # the launcher runs as the program's user

# 2. System-wide: root's install, an unprivileged user.
mkdir -m 700 "$work/home" "$work/runtime"
chown 65534:65534 "$work/home" "$work/runtime"
settings="$work/home/.config/zentorix/zentorix.ini"
start 65534 "$work/shim"
menu_command "$pid" s e
echo 4 >"$work/answer-chm"  # the desktop has no CHM viewer
menu_command "$pid" h c
got=$(opened 2)
check "system-wide: help pages when the viewer fails" "$([ "$got" = "$chm_url"$'\n'"$pages_url" ] && echo ok)" "requests: $got"
menu_command "$pid" f e
wait_for_exit "$pid" || true
check "system-wide: exit without a box" "$([ "$exit_code" = 0 ] && [ "$(count_windows)" = 0 ] && echo ok)" \
    "exit $exit_code, $(count_windows) windows left"
check "system-wide: settings in ~/.config" "$([ "$(cat "$settings" 2>/dev/null)" = $'[Setting]\nbChinese=0' ] && echo ok)" \
    "'$(cat "$settings" 2>/dev/null)'"
check "system-wide: private folder" "$([ "$(stat -c %a "$(dirname "$settings")")" = 700 ] && echo ok)" "mode $(stat -c %a "$(dirname "$settings")")"
check "system-wide: nothing beside" "$([ ! -e "$private/zentorix.ini" ] && echo ok)" "a file in the install"

# The choice survives a restart (it would be written back as 1 if not read).
start 65534 "$work/empty"
menu_command "$pid" h c  # no launcher, no browser: the notice box
for _ in $(seq 600); do wmctrl -l | grep -qF "系统提示System Hint" && break; sleep 0.05; done
check "no launcher: notice box" "$(wmctrl -l | grep -qF "系统提示System Hint" && echo ok)" "no box appeared"
press_and_wait "$pid" Return "$(showing "$pid")"
stop
check "restart: exit" "$([ "$exit_code" = 0 ] && [ "$boxes" = 0 ] && echo ok)" "exit $exit_code, $boxes windows left"
check "restart: choice kept" "$([ "$(cat "$settings" 2>/dev/null)" = $'[Setting]\nbChinese=0' ] && echo ok)" \
    "'$(cat "$settings" 2>/dev/null)'"

# No launcher, but a browser: the HTML pages open in it.
mkdir "$work/browser"
cp "$work/shim/xdg-open" "$work/browser/x-www-browser"
: >"$work/opened.log"
start 65534 "$work/browser"
menu_command "$pid" h c
got=$(opened 1)
check "no launcher: help pages in the browser" "$([ "$got" = "$pages_url" ] && echo ok)" "requests: $got"
stop

# 3. An upgrade replaces the running executable: the same help file and
# settings file are used.
rm -f "$work/answer-chm"
: >"$work/opened.log"
start root "$work/shim"
cp "$private/zentorix" "$private/zentorix.new"
mv "$private/zentorix.new" "$private/zentorix"
menu_command "$pid" h c
check "replaced executable: help" "$([ "$(opened 1)" = "$chm_url" ] && echo ok)" "requests: $(opened 1)"
stop
check "replaced executable: settings" "$([ -f "$private/zentorix.ini" ] && echo ok)" \
    "files now: $(ls "$private" | tr '\n' ' ')"
finish
