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
for file in zentorix.hhp toc.hhc; do
    iconv -f UTF-8 -t GBK "$file" >"$work/$file"
done
(cd "$work" && chmcmd zentorix.hhp >/dev/null)
cp "$work/zentorix.chm" zentorix.chm
echo "wrote $(pwd)/zentorix.chm"
