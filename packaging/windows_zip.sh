#!/usr/bin/env bash
# Makes the Windows zips, enc_dv-VERSION-win32.zip and enc_dv-VERSION-win64.zip, from the two
# cross builds (cmake/toolchain-mingw-*.cmake, with -DENC_DV_BUILD_TOOLS=ON, built in full).
# Each holds one folder, enc_dv-VERSION-winNN, with:
#   bin/      enc_dv.dll, dvenc.exe
#   include/  enc_dv.h
#   lib/      enc_dv.lib (MSVC), libenc_dv.dll.a (mingw-w64), enc_dv.def, cmake/enc_dv/
#   vfw/      the Video for Windows codec of both word sizes and enc_dv_vfw.inf, which
#             installs both on 64-bit Windows (vfw/package.sh)
#   README.md, CHANGELOG.md
# Usage: packaging/windows_zip.sh BUILD_DIR_32 BUILD_DIR_64 OUT_DIR
set -euo pipefail
[[ $# -eq 3 ]] || { echo "usage: $0 BUILD_DIR_32 BUILD_DIR_64 OUT_DIR" >&2; exit 2; }
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build32=$(cd "$1" && pwd) build64=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build32/CMakeCache.txt")
[[ -n $version ]] || { echo "no project version in $build32/CMakeCache.txt" >&2; exit 1; }

stage=$out/stage
rm -rf "$stage"
for bits in 32 64; do
    build=$build32
    ((bits == 64)) && build=$build64
    [[ -f $build/enc_dv/enc_dv.lib ]] ||
        { echo "$build has no enc_dv.lib (llvm-dlltool, Debian package llvm, not found)" >&2; exit 1; }
    name=enc_dv-$version-win$bits
    for component in runtime devel tool; do
        cmake --install "$build" --prefix "$stage/$name" --component "$component" --strip >/dev/null
    done
    "$source_dir/vfw/package.sh" "$build32" "$build64" "$stage/$name/vfw"
    cp "$source_dir/README.md" "$source_dir/CHANGELOG.md" "$stage/$name/"
    rm -f "$out/$name.zip"
    (cd "$stage" && zip -qr -X "$out/$name.zip" "$name")
    echo "$out/$name.zip"
done
rm -rf "$stage"
