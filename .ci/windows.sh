#!/usr/bin/env bash
# Cross-builds the 32-bit and the 64-bit Windows DLL with mingw-w64 and checks their export
# and import tables. Assumes `apt-get update` has run. Build directories: $BUILD_DIR
# (build-win32) and $BUILD_DIR_64 (build-win64).
set -euo pipefail
cd "$(dirname "$0")/.."

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends cmake make g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64

# triplet, toolchain, build directory, machine as the checker names it
check() {
    local triplet=$1 toolchain=$2 build=$3 machine=$4
    echo "== $triplet"
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="cmake/$toolchain" -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j"$(nproc)" --target enc_dv
    # First show that the checker catches what it is for, then check the real DLL.
    tests/windows/check_dll_exports_selftest.sh "$triplet"
    tests/windows/check_dll_exports.sh "$build/enc_dv/enc_dv.dll" "$triplet-objdump" "$machine"
}

check i686-w64-mingw32 toolchain-mingw-i686.cmake "${BUILD_DIR:-build-win32}" x86
check x86_64-w64-mingw32 toolchain-mingw-x86_64.cmake "${BUILD_DIR_64:-build-win64}" x64

# The 32-bit DLL is built for a plain i686: only its vector kernels may use SSE2.
tests/baseline/check_baseline_objects.sh i686-w64-mingw32-objdump "${BUILD_DIR:-build-win32}/enc_dv"
