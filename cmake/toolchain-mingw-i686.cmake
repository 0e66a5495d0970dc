# Cross-compiles the 32-bit x86 Windows DLL with Debian's mingw-w64 i686 compiler
# (g++-mingw-w64-i686-win32). The win32-threads variant is preferred: the library uses
# only Win32 threads, so nothing pulls in libwinpthread, and with the static libgcc and
# libstdc++ of enc_dv/CMakeLists.txt the DLL imports only KERNEL32.dll and msvcrt.dll.
#
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake
#   cmake --build build-win32 --target enc_dv
#
# Tests, tools and benchmarks are off by default here: they need GoogleTest and
# libavcodec built for Windows. Set ENC_DV_MINGW_TRIPLET to use another prefix.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ENC_DV_MINGW_TRIPLET i686-w64-mingw32 CACHE STRING "Prefix of the mingw-w64 tools")
set(_triplet ${ENC_DV_MINGW_TRIPLET})

# Prefer the explicitly suffixed win32-threads drivers; fall back to the plain names.
find_program(_mingw_cc NAMES ${_triplet}-gcc-win32 ${_triplet}-gcc REQUIRED)
find_program(_mingw_cxx NAMES ${_triplet}-g++-win32 ${_triplet}-g++ REQUIRED)
find_program(_mingw_rc NAMES ${_triplet}-windres)
set(CMAKE_C_COMPILER ${_mingw_cc})
set(CMAKE_CXX_COMPILER ${_mingw_cxx})
if(_mingw_rc)
    set(CMAKE_RC_COMPILER ${_mingw_rc})
endif()

# The DLL loads on any i686 and refuses frames at run time where SSE2 is missing, so only
# its vector kernels (*_sse2.cpp, *_avx2.cpp) are built with SSE2 or AVX2
# (enc_dv/CMakeLists.txt).
# GCC for this target assumes only a 4-byte aligned incoming stack and realigns where
# 16-byte vector locals need it, so hosts built with other compilers are safe to call.
set(CMAKE_C_FLAGS_INIT "-march=i686")
set(CMAKE_CXX_FLAGS_INIT "-march=i686")

set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
# pkg-config looks for the target's packages only, not the build machine's (FFmpeg,
# GStreamer), so that what is built for Windows is what Windows libraries exist for.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${_triplet}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(ENC_DV_BUILD_TESTS OFF CACHE BOOL "Build the test suite")
set(ENC_DV_BUILD_TOOLS OFF CACHE BOOL "Build the dvenc command-line encoder")
set(ENC_DV_BUILD_BENCH OFF CACHE BOOL "Build the benchmarks")
