# riscv64.
set(ZENTORIX_TRIPLET riscv64-linux-gnu)
set(CMAKE_SYSTEM_PROCESSOR riscv64)
set(ZENTORIX_QEMU qemu-riscv64-static)
include(${CMAKE_CURRENT_LIST_DIR}/debian-core-cross.cmake)
