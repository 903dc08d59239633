#!/usr/bin/env bash
# The test command once more on Debian 13, from a Debian 12 machine: a
# Debian 13 root made by debootstrap (minbase) in build-debian13/ and kept
# for a week, a fresh copy of the sources in it, and there, in private mount
# and PID namespaces, `./build.sh test` as on a Debian 13 machine of its own.
# The namespaces end with it: nothing stays mounted, and no process of the
# machine's (a screen reader's, say) is seen from inside.
# usage: tools/debian13-test.sh   (as root; ./build.sh test runs it)
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$PWD/build-debian13
root=$folder/root

# Inside the new namespaces: the root's own /proc, the machine's devices and
# /sys, an empty /tmp and /run; then the root becomes / (pivot_root, not
# chroot: a chroot may not make user namespaces, which a test needs).
if [ "${1:-}" = --inside ]; then
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
    mount -t tmpfs -o mode=755 tmpfs "$root/run"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mkdir -p "$root/.machine"
    cd "$root"
    pivot_root . .machine
    umount -l /.machine
    cd /src
    exec env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 ${CI:+CI="$CI"} ./build.sh test
fi

# The machine's own Debian mirror, as apt knows it.
mirror() {
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    apt-get indextargets --format '$(RELEASE) $(REPO_URI)' |
        awk -v release="$codename" '$1 == release { print $2; exit }'
}

started=$SECONDS
if [ ! -f "$folder/made" ] || [ -n "$(find "$folder/made" -mtime +6)" ]; then
    rm -rf --one-file-system "$folder"
    mkdir -p "$folder"
    url=$(mirror)
    [ -n "$url" ] || { echo "debian13-test: no Debian mirror in apt's sources" >&2; exit 1; }
    echo "Making a Debian 13 root in $root"
    debootstrap --variant=minbase trixie "$root" "$url" >"$folder/debootstrap.log" ||
        { tail -n 20 "$folder/debootstrap.log" >&2; exit 1; }
    touch "$folder/made"
fi
# The sources as they stand (the history too, for the sources' time), owned
# by root in there.
rm -rf --one-file-system "$root/src"
mkdir "$root/src"
tar -C . --exclude=./build --exclude='./build-*' -cf - . | tar -C "$root/src" --no-same-owner -xf -
echo "Debian 13 root ready after $((SECONDS - started)) s; the test command in it:"
unshare --mount --pid --fork --propagation private "$0" --inside
echo "Debian 13 stage: $((SECONDS - started)) s"
