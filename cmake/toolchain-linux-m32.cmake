# Builds everything for 32-bit x86 Linux with the host's multilib GCC (gcc-multilib,
# g++-multilib), so that 32-bit pointers, argument sizes and stack alignment are
# exercised on a 64-bit machine. Libraries come from the i386 multiarch directories
# (Debian packages with the :i386 suffix); GoogleTest built for -m32 is found through
# CMAKE_PREFIX_PATH (see .ci/m32.sh).
#
#   cmake -S . -B build-m32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-linux-m32.cmake \
#         -DCMAKE_PREFIX_PATH=/path/to/gtest-m32

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# The target's baseline is a plain i686, as for the Windows DLL: only the vector kernels
# (*_sse2.cpp, *_avx2.cpp) are built with SSE2 or AVX2, and the check BaselineObjects proves
# that nothing else, the processor check and the one-time table build included, uses an XMM
# or YMM register.
set(CMAKE_C_FLAGS_INIT "-m32 -march=i686")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# pkg-config must see only the i386 .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# Search the i386 multiarch directories for libraries, never the 64-bit ones.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_IGNORE_PATH /usr/lib/x86_64-linux-gnu /usr/lib/x86_64-linux-gnu/cmake
                      /usr/lib/x86_64-linux-gnu/cmake/GTest)
