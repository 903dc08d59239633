#!/usr/bin/env bash
# The Debian package made from the build: its name, the dependencies a
# packager expects (computed libraries, the CJK font, a CHM viewer suggested),
# and no error from lintian (warnings are printed).
# usage: package_test.sh BUILD-FOLDER [ARCHITECTURE, the build machine's if not given]
set -uo pipefail
build=$1
architecture=${2:-$(dpkg --print-architecture)}
source "$(dirname "$0")/../../tools/xsession.sh"  # check and finish
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

(cd "$build" && cpack -G DEB -B "$out" >/dev/null 2>&1) && r=ok || r=no
check "cpack" "$r" "cpack failed"
deb="$out/zentorix_1.0.0.0_${architecture}.deb"
check "file name" "$([ -f "$deb" ] && echo ok)" "made: $(ls "$out")"
depends=$(dpkg-deb -f "$deb" Depends)
for wanted in "libqt6widgets6" "libqrencode4" "fonts-wqy-microhei | fonts-noto-cjk"; do
    check "depends on $wanted" "$(grep -qF "$wanted" <<<"$depends" && echo ok)" "Depends: $depends"
done
check "suggests a CHM viewer" "$([ "$(dpkg-deb -f "$deb" Suggests)" = "xchm | kchmviewer" ] && echo ok)" "no"
report=$(lintian --fail-on error "$deb" 2>/dev/null) && r=ok || r=no
check "lintian" "$r" "$report"
[ -n "$report" ] && echo "lintian: $report"
finish
