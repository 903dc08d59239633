# arm64 with Debian's cross compiler and Debian's arm64 libraries installed
# beside the build machine's (multiarch: `dpkg --add-architecture arm64`, then
# qt6-base-dev:arm64, libqrencode-dev:arm64, crossbuild-essential-arm64). The
# whole program; Qt's code generators (moc, uic, rcc) are the build
# machine's. Programs built here run under qemu-user with the multiarch
# loader (/lib/ld-linux-aarch64.so.1), which finds the arm64 libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(ZENTORIX_DEBIAN_ARCH arm64)  # the package's, and the one Debian's flags are for
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(ENV{PKG_CONFIG_LIBDIR} /usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig)
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static)
