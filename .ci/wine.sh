#!/usr/bin/env bash
# Runs the shared conformance frames through enc_dv.dll under Wine (32-bit) and through
# the Linux shared library, and compares the frames byte for byte. The Windows host also
# checks the exports by name and ordinal, the CPUFeatures profile setting and calls from
# a 4-byte aligned stack. Assumes `apt-get update` has run; adds the i386 architecture
# for wine32. Build directory: $BUILD_DIR (build-win32; the Linux library goes in its
# linux/ subdirectory).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make gcc g++ g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 wine wine32

build=${BUILD_DIR:-build-win32}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=$(nproc)

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$jobs" --target enc_dv
cmake -S . -B "$build/linux" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENC_DV_BUILD_TESTS=OFF \
    -DENC_DV_BUILD_TOOLS=OFF
cmake --build "$build/linux" -j"$jobs" --target enc_dv

work=$build/wine-frames
rm -rf "$work"
mkdir -p "$work/windows" "$work/linux"
host_sources=(tests/windows/frame_cases.c)
includes=(-Ienc_dv/include -Itests/windows)

# The Windows host keeps only a 4-byte aligned stack, as hosts from other compilers do.
i686-w64-mingw32-gcc-win32 -std=c99 -O2 -Wall -Wextra -Werror -mpreferred-stack-boundary=2 \
    "${includes[@]}" -o "$work/dll_host.exe" tests/windows/dll_host.c "${host_sources[@]}"
cp "$build/enc_dv/enc_dv.dll" "$work/"
gcc -std=c99 -D_POSIX_C_SOURCE=200809L -O2 -Wall -Wextra -Werror "${includes[@]}" \
    -o "$work/linux_host" tests/windows/linux_host.c "${host_sources[@]}" \
    -L"$build/linux/enc_dv" -lenc_dv -Wl,-rpath,"$build/linux/enc_dv"

"$work/linux_host" "$work/linux"

export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true' EXIT
(cd "$work" && timeout 600 wine dll_host.exe windows)

frames=0
mismatches=0
for linux_frame in "$work"/linux/*.dv; do
    name=$(basename "$linux_frame")
    frames=$((frames + 1))
    if ! cmp "$linux_frame" "$work/windows/$name"; then
        echo "FAIL: $name differs between the DLL under Wine and the Linux library" >&2
        mismatches=$((mismatches + 1))
    fi
done
windows_frames=$(find "$work/windows" -name '*.dv' | wc -l)
if ((frames == 0 || frames != windows_frames)); then
    echo "FAIL: $frames Linux frames, $windows_frames Windows frames" >&2
    exit 1
fi
((mismatches == 0)) || exit 1
echo "$frames frames identical from enc_dv.dll under Wine and from the Linux library"
