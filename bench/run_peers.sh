#!/usr/bin/env bash
# Builds the frame benchmark (Release) and runs it: enc_dv against libavcodec's and libdv's
# DV encoders on the same clips, with milliseconds per frame, ratios and PSNR in one table.
# Needs libavcodec-dev, libavutil-dev and libdv4-dev. Arguments go to the benchmark
# (--rounds N, --frames N). Build directory: $BUILD_DIR (build-bench).
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DENC_DV_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target bench_peers >/dev/null
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p' | head -n1), $(nproc) hardware threads"
"$build/bench/peers/bench_peers" "$@"
