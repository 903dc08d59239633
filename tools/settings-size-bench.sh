#!/usr/bin/env bash
# How the settings file's size weighs on the real program: start-up (exec to
# the main window on screen) and exit (close to the process's end), and the
# peak resident memory, for an empty settings file and for one of SIZE MiB
# whose section comes last (the whole file is read): once with the flag the
# program writes back unchanged, once with a value it rewrites ("2" reads as
# Chinese and is written as "1": the whole file is replaced). Then a sparse
# file of 4 GiB, its section after the hole.
# usage: tools/settings-size-bench.sh [PROGRAM [SIZE-MIB]]   (default 1024)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:-$here/../build/bin/zentorix}
mib=${2:-1024}
source "$here/xsession.sh"
work=$(mktemp -d)
start_session
trap 'stop_session; rm -rf "$work"' EXIT
cp "$program" "$work/zentorix"

now() { date +%s.%N; }

measure() {  # measure LABEL
    local started shown closing
    started=$(now)
    /usr/bin/time -f %M -o "$work/rss" "$work/zentorix" 2>/dev/null &
    local pid=$!
    wait_for_windows 1
    shown=$(now)
    closing=$(now)
    wmctrl -c "$title"
    wait "$pid"
    local ended
    ended=$(now)
    printf '%-20s start %5.2f s   exit %5.2f s   peak %6.1f MiB\n' "$1" \
        "$(echo "$shown - $started" | bc)" "$(echo "$ended - $closing" | bc)" "$(echo "$(cat "$work/rss") / 1024" | bc -l)"
}

: >"$work/zentorix.ini"
measure "empty"
# Long lines of another section first, then the section: read to the end.
big() {  # big VALUE
    printf '[Big]\n'
    head -c $((mib * 1024 * 1024)) /dev/zero | tr '\0' 'z' | fold -w 4096 | sed 's/^/x=/'
    printf '\n[Setting]\nbChinese=%s\n' "$1"
}
big 0 >"$work/zentorix.ini"
sync  # the file at rest on disk, as a user's file would be
measure "$mib MiB, kept"
big 2 >"$work/zentorix.ini"
sync
measure "$mib MiB, changed"
echo "the disk here: copying $mib MiB and syncing takes $( { /usr/bin/time -f %e sh -c "cp '$work/zentorix.ini' '$work/copy' && sync" ; } 2>&1) s"

printf 'x' >"$work/zentorix.ini"
truncate -s 4G "$work/zentorix.ini"
printf '\n[Setting]\nbChinese=2\n' >>"$work/zentorix.ini"
measure "4 GiB sparse"
echo "  on disk after the save: $(du -k "$work/zentorix.ini" | cut -f1) KiB"
