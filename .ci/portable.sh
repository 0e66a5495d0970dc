#!/usr/bin/env bash
# Builds the library, dvenc and the whole test suite with the vector kernels switched off
# at configure time (-DENC_DV_VECTOR_KERNELS=OFF: the portable C++ kernels only, as on a
# processor without kernels of its own) and runs the tests natively, pinned frame hashes
# included. Assumes `apt-get update` has run. Build directory: $BUILD_DIR (build-portable).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends build-essential cmake pkg-config binutils \
    libgtest-dev libgmock-dev libavcodec-dev libavutil-dev ffmpeg

build=${BUILD_DIR:-build-portable}
case $build in /*) ;; *) build=$root/$build ;; esac
jobs=$(nproc)

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENC_DV_VECTOR_KERNELS=OFF
cmake --build "$build" -j"$jobs"

# No vector kernel may be in the library, or the suite would not test the portable path.
if nm -C "$build"/enc_dv/*.a | grep -E ' [TtWw] .*_(SSE2|AVX2|NEON)\b'; then
    echo "FAIL: vector kernels in a build without them" >&2
    exit 1
fi

ctest --test-dir "$build" --output-on-failure -j"$jobs"
