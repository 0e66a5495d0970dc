#!/usr/bin/env bash
# Cross-builds the library, dvenc and the whole test suite for 64-bit ARM Linux and runs the
# tests under qemu-user, pinned frame hashes included. Then encodes the shared conformance
# frames (tests/windows/frame_cases.c, every video system, layout and flag combination the
# Wine comparison covers) with the aarch64 library under qemu and with the x86-64 library,
# and compares them byte for byte. Assumes `apt-get update` has run; adds the arm64
# architecture for the independent decoder (libavcodec-dev:arm64). GoogleTest is built for
# aarch64 from Debian's sources into the build directory. Debian 12 will not install the
# cross compiler beside gcc-multilib: this script and .ci/m32.sh each install their own, in
# turn, and so cannot run at the same time.
# Build directory: $BUILD_DIR (build-aarch64; the x86-64 library goes in its x86_64/).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make pkg-config file gcc g++ \
    g++-aarch64-linux-gnu qemu-user googletest libavcodec-dev:arm64 libavutil-dev:arm64 ffmpeg

build=${BUILD_DIR:-build-aarch64}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=$(nproc)
gtest_prefix=$build/gtest-aarch64
# The arm64 C library installed above is the one every aarch64 program runs on (see the
# toolchain file); any program a test starts finds its libraries there too.
export QEMU_LD_PREFIX=/

if [[ ! -f $gtest_prefix/lib/libgtest.a ]]; then
    cmake -S /usr/src/googletest -B "$build/gtest-build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-aarch64-linux.cmake" \
        -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_GMOCK=ON \
        -DINSTALL_GTEST=ON
    cmake --build "$build/gtest-build" -j"$jobs"
    cmake --install "$build/gtest-build" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-aarch64-linux.cmake" \
    -DCMAKE_PREFIX_PATH="$gtest_prefix"
cmake --build "$build" -j"$jobs"

# Every test program and the library must really be aarch64.
for binary in "$build"/enc_dv/libenc_dv.so "$build"/tools/dvenc "$build"/tests/test_*; do
    [[ -f $binary && -x $binary ]] || continue
    file -L "$binary" | grep -q 'ELF 64-bit.*ARM aarch64' ||
        { echo "not an aarch64 binary: $binary" >&2; exit 1; }
done

# The install test compiles its probe with the host's cc, which cannot build for aarch64;
# the native build runs it. The stress loops are thinned, as under the sanitizers: the
# emulator runs the encoder some ten times slower.
exclude=${AARCH64_CTEST_EXCLUDE-SharedLibrary.InstallsAPackageThatACProgramCanUseThroughPkgConfig}
ENC_DV_TEST_SHORT=1 ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 1500 \
    ${exclude:+-E "$exclude"}

# The same frames from both architectures.
x86=$build/x86_64
cmake -S . -B "$x86" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENC_DV_BUILD_TESTS=OFF \
    -DENC_DV_BUILD_TOOLS=OFF
cmake --build "$x86" -j"$jobs" --target enc_dv
work=$build/frames
rm -rf "$work"
mkdir -p "$work/x86_64" "$work/aarch64"
host_sources=(tests/windows/linux_host.c tests/windows/frame_cases.c)
host_flags=(-std=c99 -D_POSIX_C_SOURCE=200809L -O2 -Wall -Wextra -Werror -Ienc_dv/include
            -Itests/windows)
gcc "${host_flags[@]}" -o "$work/host_x86_64" "${host_sources[@]}" -L"$x86/enc_dv" -lenc_dv \
    -Wl,-rpath,"$x86/enc_dv"
aarch64-linux-gnu-gcc "${host_flags[@]}" -o "$work/host_aarch64" "${host_sources[@]}" \
    -L"$build/enc_dv" -lenc_dv -Wl,-rpath,"$build/enc_dv"
"$work/host_x86_64" "$work/x86_64"
qemu-aarch64 -L / "$work/host_aarch64" "$work/aarch64"

frames=0
mismatches=0
for reference in "$work"/x86_64/*.dv; do
    name=$(basename "$reference")
    frames=$((frames + 1))
    if ! cmp "$reference" "$work/aarch64/$name"; then
        echo "FAIL: $name differs between the aarch64 and the x86-64 library" >&2
        mismatches=$((mismatches + 1))
    fi
done
aarch64_frames=$(find "$work/aarch64" -name '*.dv' | wc -l)
if ((frames == 0 || frames != aarch64_frames)); then
    echo "FAIL: $frames x86-64 frames, $aarch64_frames aarch64 frames" >&2
    exit 1
fi
((mismatches == 0)) || exit 1
echo "$frames frames identical from the aarch64 library under qemu and the x86-64 library"
