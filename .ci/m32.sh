#!/usr/bin/env bash
# Builds the library, the tool and the whole test suite for 32-bit x86 Linux (-m32) and
# runs the tests. Assumes `apt-get update` has run; adds the i386 architecture for the
# independent decoder (libavcodec-dev:i386). GoogleTest is built for 32 bits from
# Debian's sources into the build directory, as Debian ships only 64-bit archives of it.
# Build directory: $BUILD_DIR (build-m32).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make pkg-config file gcc-multilib \
    g++-multilib googletest libavcodec-dev:i386 libavutil-dev:i386

build=${BUILD_DIR:-build-m32}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=$(nproc)
gtest_prefix=$build/gtest-m32

if [[ ! -f $gtest_prefix/lib/libgtest.a ]]; then
    cmake -S /usr/src/googletest -B "$build/gtest-build" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_FLAGS=-m32 -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_INSTALL_PREFIX="$gtest_prefix" \
        -DCMAKE_INSTALL_LIBDIR=lib -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
    cmake --build "$build/gtest-build" -j"$jobs"
    cmake --install "$build/gtest-build" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-linux-m32.cmake" \
    -DCMAKE_PREFIX_PATH="$gtest_prefix"
cmake --build "$build" -j"$jobs"

# Every test program and the library must really be 32-bit.
for binary in "$build"/enc_dv/libenc_dv.so "$build"/tests/test_*; do
    [[ -f $binary && -x $binary ]] || continue
    file -L "$binary" | grep -q 'ELF 32-bit.*Intel 80386' ||
        { echo "not a 32-bit x86 binary: $binary" >&2; exit 1; }
done

# Tests that build a C program of their own use $CC when they honour it. The install
# test compiles its probe with the host's plain (64-bit) cc, which cannot link the 32-bit
# library, so it is left out here; the 64-bit build runs it.
export CC="gcc -m32"
exclude=${M32_CTEST_EXCLUDE-SharedLibrary.InstallsAPackageThatACProgramCanUseThroughPkgConfig}
ctest --test-dir "$build" --output-on-failure -j"$jobs" ${exclude:+-E "$exclude"}
