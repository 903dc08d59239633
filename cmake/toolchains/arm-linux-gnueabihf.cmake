# armhf: 32-bit, no 128-bit integer (the portable word arithmetic of wide.h).
set(ZENTORIX_TRIPLET arm-linux-gnueabihf)
set(CMAKE_SYSTEM_PROCESSOR arm)
set(ZENTORIX_QEMU qemu-arm-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-core-cross.cmake)
