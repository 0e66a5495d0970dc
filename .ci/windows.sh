#!/usr/bin/env bash
# Cross-builds the 32-bit Windows DLL with mingw-w64 and checks its export and import
# tables. Assumes `apt-get update` has run. Build directory: $BUILD_DIR (build-win32).
set -euo pipefail
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends cmake make g++-mingw-w64-i686-win32 binutils-mingw-w64-i686

build=${BUILD_DIR:-build-win32}
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target enc_dv

# First show that the checker catches what it is for, then check the real DLL.
tests/windows/check_dll_exports_selftest.sh i686-w64-mingw32
tests/windows/check_dll_exports.sh "$build/enc_dv/enc_dv.dll" i686-w64-mingw32-objdump
