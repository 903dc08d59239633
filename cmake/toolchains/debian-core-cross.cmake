# The numeric core and the settings layer (no Qt) with one of Debian's cross
# compilers, g++-<triplet>; their tests run under qemu-user, which finds the
# target's libraries in /usr/<triplet>. The including file sets
# ZENTORIX_TRIPLET, CMAKE_SYSTEM_PROCESSOR and ZENTORIX_QEMU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${ZENTORIX_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${ZENTORIX_TRIPLET}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${ZENTORIX_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The search path keeps the loader and the C library one pair: with the
# target's multiarch libc installed too, the loader would find that one
# through the build machine's ld.so.cache, and the mixed pair hangs in setuid.
set(CMAKE_CROSSCOMPILING_EMULATOR ${ZENTORIX_QEMU} -L /usr/${ZENTORIX_TRIPLET}
    -E LD_LIBRARY_PATH=/usr/${ZENTORIX_TRIPLET}/lib)
