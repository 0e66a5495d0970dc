#!/usr/bin/env bash
# Runs the shared conformance frames through enc_dv.dll under Wine, 32-bit and 64-bit, and
# through the Linux shared library, and compares the frames byte for byte. The Windows host
# also checks the exports by name and ordinal, the CPUFeatures profile setting and (32-bit)
# calls from a 4-byte aligned stack. Assumes `apt-get update` has run; adds the i386
# architecture for wine32. Build directories: $BUILD_DIR (build-win32; the Linux library
# goes in its linux/ subdirectory) and $BUILD_DIR_64 (build-win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make gcc g++ g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
    wine wine32 wine64

absolute() { case $1 in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
build32=$(absolute "${BUILD_DIR:-build-win32}")
build64=$(absolute "${BUILD_DIR_64:-build-win64}")
jobs=$(nproc)
includes=(-Ienc_dv/include -Itests/windows)
host_sources=(tests/windows/frame_cases.c)

# The Linux library's frames, the reference for both DLLs.
linux=$build32/linux
cmake -S . -B "$linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENC_DV_BUILD_TESTS=OFF \
    -DENC_DV_BUILD_TOOLS=OFF
cmake --build "$linux" -j"$jobs" --target enc_dv
reference=$linux/wine-frames
rm -rf "$reference"
mkdir -p "$reference"
gcc -std=c99 -D_POSIX_C_SOURCE=200809L -O2 -Wall -Wextra -Werror "${includes[@]}" \
    -o "$linux/linux_host" tests/windows/linux_host.c "${host_sources[@]}" \
    -L"$linux/enc_dv" -lenc_dv -Wl,-rpath,"$linux/enc_dv"
"$linux/linux_host" "$reference"

# triplet, toolchain, build directory, Wine architecture, extra host compiler flags
compare() {
    local triplet=$1 toolchain=$2 build=$3 winearch=$4 host_flags=$5
    echo "== $triplet under Wine ($winearch)"
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j"$jobs" --target enc_dv

    local work=$build/wine-frames
    rm -rf "$work"
    mkdir -p "$work/windows"
    # shellcheck disable=SC2086
    "$triplet-gcc-win32" -std=c99 -O2 -Wall -Wextra -Werror $host_flags "${includes[@]}" \
        -o "$work/dll_host.exe" tests/windows/dll_host.c "${host_sources[@]}"
    cp "$build/enc_dv/enc_dv.dll" "$work/"
    (
        export WINEPREFIX=$work/prefix WINEARCH=$winearch WINEDEBUG=-all
        export WINEDLLOVERRIDES="mscoree,mshtml="
        trap 'wineserver -k 2>/dev/null || true' EXIT
        cd "$work" && timeout 600 wine dll_host.exe windows
    )

    local frames=0 mismatches=0 name
    for reference_frame in "$reference"/*.dv; do
        name=$(basename "$reference_frame")
        frames=$((frames + 1))
        if ! cmp "$reference_frame" "$work/windows/$name"; then
            echo "FAIL: $name differs between the $triplet DLL and the Linux library" >&2
            mismatches=$((mismatches + 1))
        fi
    done
    local windows_frames
    windows_frames=$(find "$work/windows" -name '*.dv' | wc -l)
    if ((frames == 0 || frames != windows_frames)); then
        echo "FAIL: $frames Linux frames, $windows_frames Windows frames" >&2
        exit 1
    fi
    ((mismatches == 0)) || exit 1
    echo "$frames frames identical from the $triplet enc_dv.dll under Wine and the Linux library"
}

# The 32-bit host keeps only a 4-byte aligned stack, as hosts from other compilers do; the
# 64-bit calling convention always aligns it to 16 bytes.
compare i686-w64-mingw32 toolchain-mingw-i686.cmake "$build32" win32 -mpreferred-stack-boundary=2
compare x86_64-w64-mingw32 toolchain-mingw-x86_64.cmake "$build64" win64 ""
