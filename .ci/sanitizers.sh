#!/usr/bin/env bash
# Builds the library, dvenc and the whole test suite with AddressSanitizer plus
# UndefinedBehaviorSanitizer, and again with ThreadSanitizer, and runs every test under
# each. Any report fails the run. Assumes `apt-get update` has run.
# Build directories: build-asan and build-tsan; SANITIZERS="asan tsan" picks the jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
apt-get install -y --no-install-recommends build-essential cmake pkg-config git \
    libgtest-dev libgmock-dev libavcodec-dev libavutil-dev ffmpeg \
    libavformat-dev libavfilter-dev libswscale-dev libswresample-dev

jobs=$(nproc)
# The sanitized stress loops run fewer rounds; see tests/reliability.
export ENC_DV_TEST_SHORT=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# FFmpeg's libraries, which dvenc reads files through, are not instrumented: see the file.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/.ci/tsan-ffmpeg.supp

run() {
    local name=$1 sanitize=$2
    local build=$root/build-$name
    echo "== $name: -fsanitize=$sanitize"
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DENC_DV_SANITIZE="$sanitize"
    cmake --build "$build" -j"$jobs"
    ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 900
}

for job in ${SANITIZERS:-asan tsan}; do
    case $job in
        asan) run asan address,undefined ;;
        tsan) run tsan thread ;;
        *) echo "unknown sanitizer job: $job" >&2; exit 2 ;;
    esac
done
