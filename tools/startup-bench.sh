#!/usr/bin/env bash
# Start-up against the floor: the time from exec to the main window's first
# drawing and the resident memory two seconds later, for the program and for
# a minimal Qt Widgets program with the same controls that this script builds
# (tools/startup/floor.cpp), in RUNS interleaved pairs under Xvfb and openbox.
# Prints each run and the medians. Extra environment for the program alone
# goes in ZENTORIX_ENV (for example "QT_XCB_GL_INTEGRATION=none"), for the
# floor alone in FLOOR_ENV.
# usage: tools/startup-bench.sh [PROGRAM [RUNS]]   (default build/bin/zentorix, 9)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=$(realpath "${1:-$here/../build/bin/zentorix}")
runs=${2:-9}
source "$here/xsession.sh"
work=$(mktemp -d)
trap 'stop_session; rm -rf "$work"' EXIT

# Both built as a packager would build them: optimised, position-independent.
gcc -O2 -Wall -o "$work/first-paint" "$here/startup/first-paint.c" -lxcb -lxcb-damage
# shellcheck disable=SC2046
g++ -O2 -std=c++20 -fPIC -o "$work/floor" "$here/startup/floor.cpp" $(pkg-config --cflags --libs Qt6Widgets)
# The program in a folder of its own, so that its settings file lands there.
mkdir "$work/program"
cp "$program" "$work/program/zentorix"

start_session
# A first start of each, not counted: fonts and libraries into the page cache.
"$work/first-paint" "$work/floor" >/dev/null
"$work/first-paint" "$work/program/zentorix" >/dev/null

measure() {  # measure NAME ENVIRONMENT PROGRAM
    local figures
    # shellcheck disable=SC2086
    figures=$(env $2 "$work/first-paint" "$3") || figures="- - -"
    echo "$1 $figures" >>"$work/runs"
    printf '%-9s paint %6s ms   mapped %6s ms   resident %6s KiB\n' "$1" $figures
}

for i in $(seq "$runs"); do
    # Interleaved, each first in turn, so that drift weighs on both alike.
    if [ $((i % 2)) -eq 1 ]; then
        measure floor "${FLOOR_ENV:-}" "$work/floor"
        measure zentorix "${ZENTORIX_ENV:-}" "$work/program/zentorix"
    else
        measure zentorix "${ZENTORIX_ENV:-}" "$work/program/zentorix"
        measure floor "${FLOOR_ENV:-}" "$work/floor"
    fi
done

median() {  # median NAME FIELD
    awk -v name="$1" -v field="$2" '$1 == name && $field != "-" { print $field }' "$work/runs" |
        sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
echo
echo "medians of $runs runs on $(nproc) cores:"
for name in floor zentorix; do
    printf '%-9s paint %6s ms   mapped %6s ms   resident %6.1f MiB\n' "$name" \
        "$(median $name 2)" "$(median $name 3)" "$(echo "$(median $name 4) / 1024" | bc -l)"
done
# Each run's pair differs by less drift than runs far apart do: the median of
# the differences within pairs is the steadier comparison.
paired=$(awk '$2 != "-" { if ($1 == "floor") f[++nf] = $2; else z[++nz] = $2 }
    END { for (i = 1; i <= nf && i <= nz; ++i) print z[i] - f[i] }' "$work/runs" |
    sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
printf 'zentorix - floor, median of the %s pairs: %+.1f ms\n' "$runs" "$paired"
