#!/usr/bin/env bash
# dvenc in real pipelines: the README's gst-launch-1.0 lines (a test source standing in for
# the camera, an MJPEG clip with sound for "clip.mov"), 525/60 with its settings, and the
# installed plugin. Every DV output must decode without a message by ffmpeg and by
# GStreamer's dvdemux ! dvdec.
#   pipelines.sh CASE SOURCE_DIR BUILD_DIR     (CASE: readme, system525 or install)
set -euo pipefail
case_name=$1 source_dir=$2 build_dir=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export GST_PLUGIN_PATH=$build_dir/gst GST_REGISTRY=$work/registry.bin

fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs gst-launch-1.0 with these words; it must succeed without a warning or error.
launch() {
    echo "+ gst-launch-1.0 $*"
    gst-launch-1.0 "$@" > launch.log 2>&1 && ! grep -E "WARNING|ERROR|CRITICAL" launch.log ||
        { cat launch.log; fail "gst-launch-1.0 failed or warned"; }
}

# ffprobe's value of one entry of the first video stream.
probe() { ffprobe -v error -select_streams v:0 -count_frames -show_entries "$2" -of csv=p=0 "$1"; }

# The file decodes in ffmpeg without a message (but the raw DV reader's note that it
# estimates the duration) and holds frames; a DV stream also decodes through dvdemux ! dvdec.
decodes() {
    ffmpeg -nostdin -v warning -i "$1" -f null - 2>&1 |
        grep -v "Estimating duration from bitrate" > ffmpeg.log || true
    [[ ! -s ffmpeg.log ]] || { cat ffmpeg.log; fail "ffmpeg complained about $1"; }
    [[ $(probe "$1" stream=nb_read_frames) -gt 0 ]] || fail "no frames in $1"
    if [[ $1 == *.dv ]]; then launch filesrc location="$1" ! dvdemux ! dvdec ! fakesink; fi
}

case $case_name in
readme)
    ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=1280x720:rate=30 -f lavfi \
        -i sine=frequency=440 -t 1.5 -c:v mjpeg -q:v 4 -c:a pcm_s16le clip.mov
    mapfile -t lines < <(sed -n '/^## GStreamer element/,/^## /p' "$source_dir/README.md" |
        grep '^gst-launch-1.0 ' |
        sed -e 's/v4l2src/videotestsrc num-buffers=45 ! video\/x-raw,width=1280,height=720,framerate=30\/1/' \
            -e 's/autovideosink/fakesink/')
    [[ ${#lines[@]} -ge 5 ]] || fail "the README's GStreamer lines are missing"
    for line in "${lines[@]}"; do
        read -ra words <<< "${line#gst-launch-1.0 }"
        launch "${words[@]}"
    done
    [[ $(stat -c %s test.dv) -eq $((125 * 144000)) ]] || fail "test.dv is not 125 frames"
    for file in test.dv camera.dv clip-dv.avi clip-dv.mov; do decodes "$file"; done
    # The 16:9 camera picture keeps its shape and is flagged 16:9.
    [[ $(probe camera.dv stream=display_aspect_ratio) == 16:9 ]] || fail "camera.dv is not 16:9"
    [[ $(probe clip-dv.avi stream=codec_tag_string) == [Dd][Vv][Ss][Dd] ]] || fail "clip-dv.avi is not dvsd"
    ;;
system525)
    launch videotestsrc num-buffers=60 ! video/x-raw,format=UYVY,width=720,height=480,framerate=30000/1001 \
        ! dvenc aspect=16:9 smpte314m=true quality=exact "timecode=01:00:00;00" ! filesink location=ntsc.dv
    [[ $(stat -c %s ntsc.dv) -eq $((60 * 120000)) ]] || fail "ntsc.dv is not 60 frames"
    decodes ntsc.dv
    [[ $(probe ntsc.dv stream=display_aspect_ratio) == 16:9 ]] || fail "ntsc.dv is not 16:9"
    [[ $(probe ntsc.dv format_tags=timecode) == "01:00:00;00" ]] || fail "ntsc.dv time code"
    ;;
install)
    cmake --install "$build_dir" --prefix "$work/prefix" > install.log
    plugin=$(find "$work/prefix" -name libgstencdv.so)
    [[ $plugin == "$work"/prefix/*/gstreamer-1.0/libgstencdv.so ]] || fail "plugin at '$plugin'"
    # The installed plugin finds the installed library by itself.
    GST_PLUGIN_PATH=$(dirname "$plugin") gst-inspect-1.0 dvenc > inspect.log ||
        { cat inspect.log; fail "gst-inspect-1.0 does not load the installed plugin"; }
    grep -q "Filename *$plugin" inspect.log || fail "gst-inspect-1.0 read another plugin"
    ;;
*) fail "unknown case $case_name" ;;
esac
echo "GstPipelines.$case_name: passed"
