#!/usr/bin/env bash
# Compiles the help pages into zentorix.chm with chmcmd (Debian's fp-utils).
# The compiled file is committed beside its sources, so building the program
# needs no help compiler: run this after changing a page, and commit both.
#
# The pages declare UTF-8; the project and contents files are read in the
# code page of the file's language (Chinese, PRC: GBK), so they are converted
# on the way.
set -euo pipefail
cd "$(dirname "$0")"
command -v chmcmd >/dev/null || { echo "chmcmd is missing: apt-get install fp-utils" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp ./*.html style.css "$work"/
# The viewers' HTML (xCHM's among them) breaks lines at blanks alone, and a
# Chinese sentence has none: a blank after each full-width stop and before
# each full-width opening bracket lets a long line wrap in a small window.
perl -CSD -Mutf8 -pi -e 's/([，。；：、！？）])(?=[^\s<])/$1 /g; s/(?<=[^\s>])（/ （/g' "$work"/*.html
for file in zentorix.hhp toc.hhc; do
    iconv -f UTF-8 -t GBK "$file" >"$work/$file"
done
(cd "$work" && chmcmd zentorix.hhp >/dev/null)
cp "$work/zentorix.chm" zentorix.chm
echo "wrote $(pwd)/zentorix.chm"
