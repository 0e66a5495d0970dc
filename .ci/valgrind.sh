#!/usr/bin/env bash
# Runs short encodes of dvenc, the reliability tests (every layout and mode, up to 16
# threads, failed allocations, threads and events) and a few hundred frames of the GStreamer
# element under valgrind memcheck: no invalid access, no use of undefined values, no leak.
# Assumes `apt-get update` has run.
# Build directory: $BUILD_DIR (build-valgrind), optimised with debug information.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends valgrind cmake make g++ pkg-config \
    libgtest-dev libgmock-dev libavcodec-dev libavutil-dev ffmpeg \
    libavformat-dev libavfilter-dev libswscale-dev libswresample-dev \
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev

build=${BUILD_DIR:-build-valgrind}
case $build in /*) ;; *) build=$root/$build ;; esac
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)" --target dvenc test_reliability test_gst

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind_memcheck() {
    valgrind --tool=memcheck --error-exitcode=99 --leak-check=full --show-leak-kinds=all \
        --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes --quiet "$@"
}
memcheck() {
    echo "valgrind: dvenc $*"
    valgrind_memcheck "$build/tools/dvenc" --quiet "$@"
}

# 625/50 4:2:0 on the processors' threads; 525/60 with one-pass quantization and no header
# blocks; raw 32-bit BGRA stored bottom-up with alpha weighting, on one thread.
memcheck --frames 3 --demo "$work/demo625.dv"
memcheck --frames 2 --size 720x480 --smpte314m --no-header-block --mb-quant \
    --demo "$work/demo525.dv"
head -c $((720 * 4 * 576 * 2)) /dev/urandom > "$work/raw.bgra"
memcheck --fourcc BGRA --size 720x576 --bottom-up --alpha-weight --smpte314m --single-thread \
    "$work/raw.bgra" "$work/raw.dv"

# A file through FFmpeg's libraries: 720p at 50 frames a second, woven
# into fields and scaled, its 44.1 kHz sound resampled. Only leaks count here: the libraries
# FFmpeg loads keep what they set up at start.
ffmpeg -v error -f lavfi -i testsrc2=s=1280x720:r=50:d=0.12 -f lavfi -i sine=r=44100:d=0.12 \
    -c:v ffv1 -c:a pcm_s16le "$work/clip.mkv"
echo "valgrind: dvenc clip.mkv"
valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
    --track-origins=yes --quiet "$build/tools/dvenc" --quiet "$work/clip.mkv" "$work/clip.dv"

# Every layout in every mode on 1 to 16 threads, larger and bottom-up pictures, handles
# and handle-less calls on 8 threads each all at once, and injected failures.
echo "valgrind: test_reliability"
ENC_DV_TEST_SHORT=1 valgrind_memcheck "$build/tests/test_reliability"

# The GStreamer element: 300 frames through one dvenc in GstHarness, with a flush. GLib's
# type system keeps pointers into its blocks that memcheck counts as possibly lost, so here
# only definite and indirect leaks fail.
echo "valgrind: test_gst"
ENC_DV_TEST_BINARY_DIR=$build valgrind --tool=memcheck --error-exitcode=99 --leak-check=full \
    --show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect --quiet \
    "$build/tests/test_gst" \
    --gtest_filter=GstEncoder.HundredsOfFramesThroughAFlushAndEosComeOutOnceEach

test "$(stat -c %s "$work/demo625.dv")" -eq $((3 * 144000))
test "$(stat -c %s "$work/demo525.dv")" -eq $((2 * 119200))
test "$(stat -c %s "$work/raw.dv")" -eq $((2 * 144000))
test "$(stat -c %s "$work/clip.dv")" -eq $((3 * 144000))
echo "valgrind: no errors, no leaks"
