#!/usr/bin/env bash
# Fails when an #include breaks the layering: every arrow points down.
#   tools, gst, vfw -> enc_dv.h (tools: cli -> {media, dv_frames} -> sources);
#   api -> driver -> {input, transform, coding} -> common -> platform;
#   api -> frame_data -> common
# A library file includes its own folder and the layers below it; the three stages and
# frame_data do not include each other; the public header enc_dv.h is included by api/ alone.
set -uo pipefail
cd "$(dirname "$0")/.."

rank() {
    case "$1" in
        platform) echo 0 ;;
        common) echo 1 ;;
        input | transform | coding | frame_data) echo 2 ;;
        driver) echo 3 ;;
        api) echo 4 ;;
        *) echo -1 ;;
    esac
}

failures=0
fail() {
    echo "$1: $2" >&2
    failures=$((failures + 1))
}

while IFS= read -r file; do
    layer=${file#enc_dv/src/}
    layer=${layer%%/*}
    own=$(rank "$layer")
    if [ "$own" -lt 0 ]; then
        fail "$file" "folder '$layer' is not a layer"
        continue
    fi
    while IFS=: read -r line target; do
        if [ "$target" = "enc_dv.h" ]; then
            [ "$layer" = api ] || fail "$file:$line" "includes the public header (api/ only)"
            continue
        fi
        to=${target%%/*}
        [ "$to" = "$target" ] && to=""
        other=$(rank "$to")
        if [ "$other" -lt 0 ]; then
            fail "$file:$line" "includes \"$target\", which is not under a layer folder"
        elif [ "$to" != "$layer" ] && [ "$other" -ge "$own" ]; then
            fail "$file:$line" "$layer/ includes \"$target\": $to/ is not below $layer/"
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
        sed 's/^\([0-9]*\):.*"\([^"]*\)".*/\1:\2/')
done < <(find enc_dv/src -name '*.h' -o -name '*.cpp' | sort)

# The tool sees the library through its public header only, and its folders stack too:
#   cli -> {media, dv_frames} -> sources
# media/ and dv_frames/ do not include each other; FFmpeg's headers belong to media/ alone.
tool_rank() {
    case "$1" in
        sources) echo 0 ;;
        media | dv_frames) echo 1 ;;
        cli) echo 2 ;;
        *) echo -1 ;;
    esac
}
while IFS=: read -r file line target; do
    [ "$target" = "enc_dv.h" ] && continue
    folder=${file#tools/}
    folder=${folder%%/*}
    to=${target%%/*}
    [ "$to" = "$target" ] && to=""
    if [ ! -f "tools/$target" ] || [ "$(tool_rank "$to")" -lt 0 ]; then
        fail "$file:$line" "includes \"$target\" (the tool includes enc_dv.h and its own headers, as folder/file.h)"
    elif [ "$to" != "$folder" ] && [ "$(tool_rank "$to")" -ge "$(tool_rank "$folder")" ]; then
        fail "$file:$line" "$folder/ includes \"$target\": $to/ is not below $folder/"
    fi
done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' tools/*/*.h tools/*/*.cpp |
    sed 's/^\([^:]*\):\([0-9]*\):.*"\([^"]*\)".*/\1:\2:\3/')
while IFS=: read -r file line; do
    case "$file" in tools/media/*) ;; *) fail "$file:$line" "includes an FFmpeg header outside tools/media/" ;; esac
done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*<lib\(av\|sw\)' tools/*/*.h tools/*/*.cpp |
    cut -d: -f1,2)
if ls tools/*.h tools/*.cpp >/dev/null 2>&1; then
    fail tools "holds source files outside its folders (sources, media, dv_frames, cli)"
fi

# So does the GStreamer element: its own headers, enc_dv.h and system headers only.
while IFS=: read -r file line target; do
    if [ ! -f "gst/$target" ]; then
        fail "$file:$line" "includes \"$target\" (the element includes its own headers)"
    fi
done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' gst/*.h gst/*.c |
    sed 's/^\([^:]*\):\([0-9]*\):.*"\([^"]*\)".*/\1:\2:\3/')
while IFS=: read -r file line target; do
    fail "$file:$line" "includes <$target> (the element sees the library through enc_dv.h only)"
done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*<enc_' gst/*.h gst/*.c |
    grep -v '<enc_dv\.h>' | sed 's/^\([^:]*\):\([0-9]*\):.*<\([^>]*\)>.*/\1:\2:\3/')

# So does the Video for Windows codec: enc_dv.h and its own headers.
while IFS=: read -r file line target; do
    if [ "$target" != "enc_dv.h" ] && [ ! -f "vfw/$target" ]; then
        fail "$file:$line" "includes \"$target\" (vfw/ includes enc_dv.h and its own headers)"
    fi
done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' vfw/*.h vfw/*.cpp |
    sed 's/^\([^:]*\):\([0-9]*\):.*"\([^"]*\)".*/\1:\2:\3/')

if [ "$failures" -gt 0 ]; then
    echo "check_includes: $failures include(s) break the layering" >&2
    exit 1
fi
echo "check_includes: every include points down"
