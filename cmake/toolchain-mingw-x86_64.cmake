# Cross-compiles the 64-bit x86 Windows DLL with Debian's mingw-w64 x86_64 compiler
# (g++-mingw-w64-x86-64-win32). As for the 32-bit DLL, the win32-threads variant and the
# static libgcc and libstdc++ of enc_dv/CMakeLists.txt leave imports from KERNEL32.dll and
# msvcrt.dll only. SSE2 is part of every x86-64 processor, so no flag is needed for it.
#
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-x86_64.cmake
#   cmake --build build-win64 --target enc_dv
#
# Tests, tools and benchmarks are off by default here: they need GoogleTest and
# libavcodec built for Windows. Set ENC_DV_MINGW_TRIPLET to use another prefix.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(ENC_DV_MINGW_TRIPLET x86_64-w64-mingw32 CACHE STRING "Prefix of the mingw-w64 tools")
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
