#!/usr/bin/env bash
# Zentorix from a fresh Debian 13 or Debian 12 machine: install what is
# missing, build, then start the program (./build.sh run) or run every test
# (./build.sh test: the suite, the suite again under the sanitizers, short
# fuzz runs, the program built for arm64 and the core for armhf, s390x,
# ppc64el and riscv64, their tests under qemu; on Debian 12, all of that
# again in a Debian 13 root).
set -euo pipefail
cd "$(dirname "$0")"

# What building and running the program need.
run_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libqrencode-dev libxcb1-dev librsvg2-bin
    fonts-wqy-microhei
)
# And, where there is no display, a screen of its own to show the window on.
headless_packages=(xvfb xauth openbox wmctrl imagemagick)
# What the tests, benchmarks, fuzzing and cross builds need besides.
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    locales git
    x11-utils xdotool xclip zbar-tools libxcb-damage0-dev
    dpkg-dev desktop-file-utils appstream lintian diffoscope-minimal
    dbus at-spi2-core python3-pyatspi orca weston qt6-wayland qt6ct
    clang libclang-rt-dev clang-format
    g++-aarch64-linux-gnu g++-arm-linux-gnueabihf qemu-user-static
    g++-s390x-linux-gnu g++-powerpc64le-linux-gnu g++-riscv64-linux-gnu
)
# On Debian 12, a Debian 13 root to run the test command in as well.
debian12_packages=(debootstrap)
# The program's libraries for arm64, from Debian's multiarch archive: the
# whole program is built for arm64 and its tests run under qemu.
arm64_packages=(qt6-base-dev:arm64 libqrencode-dev:arm64 libxcb1-dev:arm64 libgl-dev:arm64)
# Locales the tests switch to: a comma decimal mark, a double-byte code page
# (a line each: source, charmap, name, the name `locale -a` lists).
mapfile -t test_locales <tests/locales.txt

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs those of the packages named that are missing (quietly; nothing
# when all are there).
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$package")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive \
            apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
}

# Lets apt install arm64 packages beside the build machine's.
add_arm64() {
    dpkg --print-foreign-architectures | grep -qx arm64 || as_root dpkg --add-architecture arm64
}

make_test_locales() {
    local have
    have=$(locale -a 2>/dev/null)
    for entry in "${test_locales[@]}"; do
        read -r source charmap name listed <<<"$entry"
        grep -qx "$listed" <<<"$have" || as_root localedef -i "$source" -f "$charmap" "$name" 2>/dev/null || true
    done
}

case "${1:-}" in
run)
    # The program alone, optimised, without tests or benchmarks.
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        install_missing "${run_packages[@]}"
    else
        install_missing "${run_packages[@]}" "${headless_packages[@]}"
    fi
    cmake --preset release >/dev/null
    cmake --build --preset release
    if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
        exec build-release/bin/zentorix
    fi
    echo "No display: running the window under xvfb-run; screenshot in build-release/zentorix.png"
    xvfb-run -a -s "-screen 0 1280x800x24" tools/show-and-close.sh build-release/bin/zentorix \
        build-release/zentorix.png
    ;;
test)
    add_arm64
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ "$codename" = bookworm ] || debian12_packages=()
    install_missing "${run_packages[@]}" "${headless_packages[@]}" "${test_packages[@]}" "${arm64_packages[@]}" \
        "${debian12_packages[@]}"
    make_test_locales
    # The sources as .clang-format lays them out.
    find app calc frame tests tools ui \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 clang-format --dry-run --Werror
    cmake --preset default >/dev/null
    cmake --build --preset default
    ctest --preset default
    # The same suite under AddressSanitizer and UBSan (any report fails it),
    # then each fuzz target for about 20 s.
    cmake --preset asan >/dev/null
    cmake --build --preset asan
    ctest --preset asan
    cmake --preset fuzz >/dev/null
    cmake --build --preset fuzz
    ctest --preset fuzz
    # The whole program for arm64 (its tests, offscreen windows among them,
    # and its package), and the numeric core and the settings layer for
    # armhf, s390x (big-endian), ppc64el and riscv64, their tests under
    # qemu-user.
    for target in arm64 core-armhf core-s390x core-ppc64el core-riscv64; do
        cmake --preset "$target" >/dev/null
        cmake --build --preset "$target"
        ctest --preset "$target"
    done
    # On Debian 12, everything above once more on Debian 13, in a root of
    # its own (on Debian 13 this is where it ends: no Debian 12 root).
    if [ "$codename" = bookworm ]; then
        as_root tools/debian13-test.sh
    fi
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
