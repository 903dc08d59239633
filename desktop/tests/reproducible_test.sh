#!/usr/bin/env bash
# The Debian package as a packager builds it (release preset, cpack) is
# reproducible: the sources built twice, in two folders of different names,
# one after the other, give the same .deb byte for byte; where the two
# differ, diffoscope shows how. And lintian, told to report everything down to
# its pedantic tags, has nothing to say of it (hardening included).
# usage: reproducible_test.sh SOURCE-FOLDER
set -uo pipefail
source=$1
source "$(dirname "$0")/../../tools/xsession.sh"  # check and finish
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The tracked files as they stand, and the history for the sources' time,
# taken once: both builds see the same sources, whatever changes meanwhile.
# Each build copies them anew (new times on every file) into its own folder.
mkdir -p "$work/sources"
(cd "$source" && git ls-files -z | xargs -0 cp --parents -t "$work/sources")
cp -r "$source/.git" "$work/sources/.git"

debs=()
for copy in first second-with-a-longer-name; do
    cp -r "$work/sources" "$work/$copy"
    if (cd "$work/$copy" && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null &&
        cpack --preset deb >/dev/null 2>&1); then
        debs+=("$work/$copy/build-release/packages/zentorix_1.0.0.0_amd64.deb")
    fi
done
check "two packages" "$([ ${#debs[@]} = 2 ] && [ -f "${debs[0]}" ] && [ -f "${debs[1]}" ] && echo ok)" \
    "a build or its packaging failed"
if [ ${#debs[@]} = 2 ]; then
    sums=$(sha256sum "${debs[@]}" | cut -d' ' -f1 | sort -u)
    check "byte-identical" "$([ "$(wc -l <<<"$sums")" = 1 ] && echo ok)" \
        "$(diffoscope --text - "${debs[@]}" 2>&1 | head -n 80)"
    echo "sha256 $(head -n 1 <<<"$sums")"
    tags=$(lintian -I --pedantic "${debs[0]}" 2>&1 | grep -v 'running with root privileges')
    check "lintian, every tag" "$([ -z "$tags" ] && echo ok)" "$tags"
fi
finish
