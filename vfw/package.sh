#!/usr/bin/env bash
# Lays out the codec for installation with enc_dv_vfw.inf: the inf and the 32-bit and 64-bit
# enc_dv_vfw.dll, named enc_dv_vfw32.dll and enc_dv_vfw64.dll, in one folder.
# Usage: vfw/package.sh BUILD_DIR_32 BUILD_DIR_64 OUT_DIR   (e.g. build-win32 build-win64 dv-codec)
set -euo pipefail
[[ $# -eq 3 ]] || { echo "usage: $0 BUILD_DIR_32 BUILD_DIR_64 OUT_DIR" >&2; exit 2; }
mkdir -p "$3"
cp "$(dirname "$0")/enc_dv_vfw.inf" "$3/"
cp "$1/vfw/enc_dv_vfw.dll" "$3/enc_dv_vfw32.dll"
cp "$2/vfw/enc_dv_vfw.dll" "$3/enc_dv_vfw64.dll"
