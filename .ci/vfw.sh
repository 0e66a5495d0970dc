#!/usr/bin/env bash
# The Video for Windows codec, 32-bit and 64-bit: cross-builds enc_dv_vfw.dll, checks its
# export and import tables, then runs tests/vfw/vfw_host under 32-bit and 64-bit Wine. The
# host installs the codec as a function and as a driver, compares its frames of every input
# layout and setting with enc_dv.dll's, sends it bad input and writes an AVI through
# avifil32, which ffprobe must read as dvvideo and ffmpeg decode without a message. The
# codec is then installed as a user would: from the package with enc_dv_vfw.inf (both
# registry views and system folders on 64-bit Windows) and by the registry entry of the
# README, each opened by its FOURCC and removed again. Assumes `apt-get update` has run; adds
# the i386 architecture for wine32. Build directories: $BUILD_DIR (build-win32) and
# $BUILD_DIR_64 (build-win64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make g++-mingw-w64-i686-win32 \
    binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 \
    wine wine32 wine64 ffmpeg

absolute() { case $1 in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
build32=$(absolute "${BUILD_DIR:-build-win32}")
build64=$(absolute "${BUILD_DIR_64:-build-win64}")
work=$(absolute "${BUILD_DIR:-build-win32}")/vfw-test
rm -rf "$work"
mkdir -p "$work"

# triplet, toolchain, build directory, machine as the checker names it, host name
build() {
    local triplet=$1 toolchain=$2 build=$3 machine=$4 host=$5
    echo "== enc_dv_vfw.dll, $triplet"
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release
    cmake --build "$build" -j"$(nproc)" --target enc_dv enc_dv_vfw
    tests/windows/check_dll_exports.sh "$build/vfw/enc_dv_vfw.dll" "$triplet-objdump" \
        "$machine" vfw
    # (Bitmap headers in the host's tables leave their last fields to zero.)
    "$triplet-gcc-win32" -std=c99 -O2 -Wall -Wextra -Werror -Wno-missing-field-initializers \
        -Ienc_dv/include -o "$work/$host" tests/vfw/vfw_host.c -lmsvfw32 -lavifil32
}
build i686-w64-mingw32 toolchain-mingw-i686.cmake "$build32" x86 vfw_host32.exe
build x86_64-w64-mingw32 toolchain-mingw-x86_64.cmake "$build64" x64 vfw_host64.exe
tests/windows/check_dll_exports_selftest.sh i686-w64-mingw32 >/dev/null
# The codec's own objects run before any processor check: no SSE2 in them either.
tests/baseline/check_baseline_objects.sh i686-w64-mingw32-objdump "$build32/vfw"
vfw/package.sh "$build32" "$build64" "$work/package"

# The installed codec is looked for in a folder of its own, without a copy beside the host.
mkdir -p "$work/installed"
cp "$work"/vfw_host*.exe "$work/installed/"
cp "$build32/enc_dv/enc_dv.dll" "$work/installed/enc_dv32.dll"
cp "$build64/enc_dv/enc_dv.dll" "$work/installed/enc_dv64.dll"

drivers32='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Drivers32'
package="Z:${work//\//\\}\\package" # Wine's drive Z: is the root directory

# Runs the host of `bits` bits in `folder` with the remaining arguments.
host() {
    local bits=$1 folder=$2
    shift 2
    (cd "$folder" && timeout 600 wine "vfw_host$bits.exe" "$@")
}

# Every word size of a prefix of `bits` bits opens the codec by its FOURCC from the system
# folder (or, with "absent", finds none).
installed() {
    local bits=$1 hosts=(32) b out
    shift
    ((bits == 64)) && hosts=(64 32)
    for b in "${hosts[@]}"; do
        if ! out=$(host "$b" "$work/installed" registered "enc_dv$b.dll" "$@"); then
            echo "$out"
            echo "FAIL: the $b-bit host (${*:-the codec installed})" >&2
            exit 1
        fi
        echo "$out"
        # shellcheck disable=SC1003 # backslashes of a Windows path, not an escaped quote
        if [[ $* != absent ]] && ! grep -qiE 'codec from C:\\windows\\(system32|syswow64)\\' <<<"$out"; then
            echo "FAIL: the $b-bit host did not open the installed codec" >&2
            exit 1
        fi
    done
}

# Word size, Wine architecture, the loader of the prefix's own word size (rundll32 and reg
# as Windows runs them), build directory.
run_prefix() {
    local bits=$1 winearch=$2 loader=$3 build=$4
    echo "== the codec under Wine ($winearch)"
    export WINEPREFIX=$work/prefix$bits WINEARCH=$winearch WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    local suite=$work/suite$bits
    mkdir -p "$suite"
    cp "$work/vfw_host$bits.exe" "$build/vfw/enc_dv_vfw.dll" "$build/enc_dv/enc_dv.dll" "$suite/"
    host "$bits" "$suite" suite enc_dv_vfw.dll enc_dv.dll .
    host "$bits" "$suite" driver enc_dv_vfw.dll enc_dv.dll

    local codec messages
    codec=$(ffprobe -v error -select_streams v -show_entries stream=codec_name,width,height \
        -of csv=p=0 "$suite/vfw.avi")
    [[ $codec == dvvideo,720,576 ]] || { echo "FAIL: the AVI holds $codec" >&2; exit 1; }
    messages=$(ffmpeg -nostdin -v error -i "$suite/vfw.avi" -f null - 2>&1)
    [[ -z $messages ]] || { echo "FAIL: decoding the AVI: $messages" >&2; exit 1; }
    ffmpeg -nostdin -v error -i "$suite/vfw.avi" -c copy -f rawvideo - |
        cmp - "$suite/vfw_avi_expected.dv"
    echo "vfw.avi: dvvideo 720x576, decodes cleanly, its frames are the library's"

    # By the registry entry of the README, the files copied by hand; then removed by hand.
    local windows=$WINEPREFIX/drive_c/windows views=("") view
    cp "$build/vfw/enc_dv_vfw.dll" "$windows/system32/"
    if ((bits == 64)); then
        cp "$build32/vfw/enc_dv_vfw.dll" "$windows/syswow64/"
        views=(/reg:64 /reg:32)
    fi
    # shellcheck disable=SC2086 # no view argument in a 32-bit prefix
    for view in "${views[@]}"; do
        $loader reg add "$drivers32" /v vidc.dvsd /t REG_SZ /d enc_dv_vfw.dll /f $view
    done
    installed "$bits"
    # shellcheck disable=SC2086
    for view in "${views[@]}"; do $loader reg delete "$drivers32" /v vidc.dvsd /f $view; done
    rm -f "$windows/system32/enc_dv_vfw.dll" "$windows/syswow64/enc_dv_vfw.dll"
    installed "$bits" absent

    # By the package's inf, as Install in the file's menu does, and its removal.
    $loader rundll32 setupapi.dll,InstallHinfSection DefaultInstall 128 "$package\\enc_dv_vfw.inf"
    installed "$bits"
    $loader rundll32 setupapi.dll,InstallHinfSection DefaultUninstall 128 \
        'C:\windows\inf\enc_dv_vfw.inf'
    installed "$bits" absent
    wineserver -k 2>/dev/null || true
}

trap 'wineserver -k 2>/dev/null || true' EXIT
run_prefix 32 win32 wine "$build32"
run_prefix 64 win64 /usr/lib/wine/wine64 "$build64"
echo "vfw: the codec passed under 32-bit and 64-bit Wine"
