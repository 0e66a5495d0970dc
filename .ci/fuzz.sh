#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and runs each for $FUZZ_SECONDS (60) seconds from the seed corpus in fuzz/corpus. The
# corpus in the repository is only read; new inputs go to the build directory, and a
# crashing input is kept in $build/artifacts. Assumes `apt-get update` has run.
# Build directory: $BUILD_DIR (build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends clang libclang-rt-dev cmake make pkg-config \
    libavcodec-dev libavutil-dev

build=${BUILD_DIR:-build-fuzz}
case $build in /*) ;; *) build=$root/$build ;; esac
seconds=${FUZZ_SECONDS:-60}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DENC_DV_SANITIZE=address,undefined -DENC_DV_BUILD_FUZZ=ON \
    -DENC_DV_BUILD_TESTS=OFF -DENC_DV_BUILD_TOOLS=OFF
cmake --build "$build" -j"$(nproc)" --target fuzz_api fuzz_y4m fuzz_wav

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"
for target in api y4m wav; do
    corpus=$build/corpus-$target
    mkdir -p "$corpus"
    echo "== fuzz_$target for $seconds s"
    "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 \
        -max_len=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$corpus" "fuzz/corpus/$target"
done
