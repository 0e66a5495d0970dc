#!/usr/bin/env bash
# Builds the frame benchmark (Release) and runs it: enc_dv (default and best-quality mode)
# against libavcodec's and libdv's DV encoders on the same clips, with milliseconds per frame,
# ratios, PSNR of Y, Cb and Cr and SSIM of Y in one table, then a summary line per clip.
# Needs libavcodec-dev, libavutil-dev and libdv4-dev; the photograph clips need python3-skimage
# (skipped, with a note, without it). Arguments go to the benchmark: --rounds N, --frames N,
# --quality-only (one-thread rows, 625/50 4:2:0 and 525/60, one round: seconds),
# --system 625|525, --clips natural,noise,photo-pan,photo-zoom,interlaced, --photos DIR.
# Build directory: $BUILD_DIR (build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DENC_DV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_peers >/dev/null
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) hardware threads"
"$build/bench/peers/bench_peers" "$@"
