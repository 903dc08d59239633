# ppc64el: POWER, little-endian.
set(ZENTORIX_TRIPLET powerpc64le-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(ZENTORIX_QEMU qemu-ppc64le-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-core-cross.cmake)
