# Cross-compiles everything for 64-bit ARM Linux with Debian's aarch64-linux-gnu compiler
# (g++-aarch64-linux-gnu; Debian 12 will not install it beside gcc-multilib). Test programs
# run on the build machine through qemu-user (qemu-aarch64), which ctest uses as the
# emulator. Libraries come
# from the arm64 multiarch directories (Debian packages with the :arm64 suffix);
# GoogleTest built for aarch64 is found through CMAKE_PREFIX_PATH (see .ci/aarch64.sh).
#
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-aarch64-linux.cmake \
#         -DCMAKE_PREFIX_PATH=/path/to/gtest-aarch64

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)

set(ENC_DV_CROSS_TRIPLET aarch64-linux-gnu CACHE STRING "Prefix of the cross tools")
find_program(_cross_cc NAMES ${ENC_DV_CROSS_TRIPLET}-gcc REQUIRED)
find_program(_cross_cxx NAMES ${ENC_DV_CROSS_TRIPLET}-g++ REQUIRED)
set(CMAKE_C_COMPILER ${_cross_cc})
set(CMAKE_CXX_COMPILER ${_cross_cxx})

# The emulator's library root. Once Debian's arm64 multiarch C library is installed
# (libavcodec-dev:arm64 brings it), programs must run wholly on it: the host's ld.so.cache
# then lists its libc.so.6, and the cross sysroot's loader paired with that libc (another
# build) hangs in the first thread creation. Without it, the cross sysroot serves.
find_program(_qemu NAMES qemu-aarch64 qemu-aarch64-static)
if(EXISTS /lib/ld-linux-aarch64.so.1)
    set(ENC_DV_QEMU_ROOT / CACHE PATH "Library root of qemu-aarch64 (-L)")
else()
    set(ENC_DV_QEMU_ROOT /usr/${ENC_DV_CROSS_TRIPLET} CACHE PATH "Library root of qemu-aarch64 (-L)")
endif()
if(_qemu)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${_qemu} -L ${ENC_DV_QEMU_ROOT})
endif()

# pkg-config must see only the arm64 .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/aarch64-linux-gnu/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Search the arm64 multiarch directories for libraries, never the build machine's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake
                      /usr/lib/x86_64-linux-gnu/cmake/GTest)
