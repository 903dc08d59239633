# s390x: big-endian.
set(ZENTORIX_TRIPLET s390x-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(ZENTORIX_QEMU qemu-s390x-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-core-cross.cmake)
