#!/usr/bin/env bash
# Builds the generation benchmark (Release) and runs it: each clip, in the DV system's own
# sampling, decoded by libavcodec and encoded again generation after generation by enc_dv
# (both modes) and by libavcodec, with the PSNR of Y, Cb and Cr against the source each time
# and the targets at the end (exit 1 when one is missed). Needs libavcodec-dev and
# libavutil-dev; the photograph clips need python3-skimage. Arguments go to the benchmark:
# --generations N (6), --frames N (4), --system 625|525, --clips natural,photo-pan,interlaced,
# --photos DIR. Build directory: $BUILD_DIR (build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DENC_DV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_generations >/dev/null
"$build/bench/peers/bench_generations" "$@"
