#!/usr/bin/env bash
# Fails when an #include breaks the layering: every arrow points down.
#   tools, vfw -> enc_dv.h;  api -> driver -> {input, transform, coding} -> common -> platform;
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

# The tool and the Video for Windows codec see the library through its public header only.
for adapter in tools vfw; do
    while IFS=: read -r file line target; do
        if [ "$target" != "enc_dv.h" ] && [ ! -f "$adapter/$target" ]; then
            fail "$file:$line" "includes \"$target\" ($adapter/ includes enc_dv.h and its own headers)"
        fi
    done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$adapter"/*.h "$adapter"/*.cpp |
        sed 's/^\([^:]*\):\([0-9]*\):.*"\([^"]*\)".*/\1:\2:\3/')
done

if [ "$failures" -gt 0 ]; then
    echo "check_includes: $failures include(s) break the layering" >&2
    exit 1
fi
echo "check_includes: every include points down"
