#!/usr/bin/env bash
# Shows that check_dll_exports.sh rejects the faults it exists to catch: it links small
# DLLs whose export or import tables are wrong in one way each, and expects the checker
# to accept only the correct one.
# Usage: check_dll_exports_selftest.sh [triplet-prefix]   (default i686-w64-mingw32;
# x86_64-w64-mingw32 checks the 64-bit form)
set -euo pipefail

prefix=${1:-i686-w64-mingw32}
case $prefix in
    x86_64-*) machine=x64 other=x86 ;;
    *) machine=x86 other=x64 ;;
esac
cc=$(command -v "$prefix-gcc-win32" || command -v "$prefix-gcc")
objdump=$prefix-objdump
checker=$(dirname "$0")/check_dll_exports.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/entries.c" <<'C'
#include <windows.h>
int CompressBuffer_DV(void) { return 1; }
#ifdef STDCALL_NEW
int __stdcall DVNewEnc(void) { return 30; }
#else
int DVNewEnc(void) { return 30; }
#endif
int DVDoneEnc(void) { return 31; }
int DVCompressBuffer(void) { return 32; }
int InitDVEnc(void) { return 33; }
int DVEncGetAPIExt(void) { return 43; }
int DVEncWriteTimecode(void) { return 44; }
int DVEncWriteRecordingDate(void) { return 45; }
int DVEncWriteAudio(void) { return 46; }
int DVEncAudioSamples(void) { return 47; }
int DVEncReadRecordingDate(void) { return 48; }
int ExtraEntry(void) { return 2; }
int DriverProc(void) { return 1; }
#ifdef USE_USER32
int AskUser(void) { return MessageBoxA(0, "", "", 0); }
#endif
C

good=$'LIBRARY enc_dv\nEXPORTS\n CompressBuffer_DV @1\n DVNewEnc @30\n DVDoneEnc @31\n DVCompressBuffer @32\n InitDVEnc @33\n DVEncGetAPIExt @43'
good+=$'\n DVEncWriteTimecode @44\n DVEncWriteRecordingDate @45\n DVEncWriteAudio @46\n DVEncAudioSamples @47\n DVEncReadRecordingDate @48'

# name, extra compiler arguments, module definition, expected verdict[, machine to check[,
# kind of DLL: enc_dv or vfw]]
run_case() {
    local name=$1 extra=$2 def=$3 expect=$4 check_machine=${5:-$machine} kind=${6:-enc_dv}
    local dll=$work/$name/enc_dv.dll
    [[ $kind == vfw ]] && dll=$work/$name/enc_dv_vfw.dll
    printf '%s\n' "$def" >"$work/$name.def"
    mkdir -p "$work/$name"
    # shellcheck disable=SC2086
    if ! "$cc" -shared -o "$dll" "$work/entries.c" "$work/$name.def" $extra; then
        echo "FAIL: case $name does not link" >&2
        return 1
    fi
    if "$checker" "$dll" "$objdump" "$check_machine" "$kind" >"$work/$name.log" 2>&1; then
        result=pass
    else
        result=fail
    fi
    if [[ $result != "$expect" ]]; then
        echo "FAIL: case $name: checker said $result, expected $expect" >&2
        sed 's/^/    /' "$work/$name.log" >&2
        return 1
    fi
    echo "ok: $name ($result)"
}

status=0
run_case correct "" "$good" pass || status=1
run_case extra_export "" "$good"$'\n ExtraEntry @2' fail || status=1
run_case missing_export "" "${good%$'\n'*}" fail || status=1
run_case wrong_ordinal "" "${good/DVNewEnc @30/DVNewEnc @29}" fail || status=1
run_case writers_swapped "" "${good/DVEncWriteAudio @46/DVEncWriteAudio @49}" fail || status=1
run_case ordinal_off_table "" "${good/DVDoneEnc @31/DVDoneEnc @99}" fail || status=1
# A __stdcall entry linked without --kill-at keeps its @N decoration.
run_case decorated_name -DSTDCALL_NEW "${good/DVNewEnc @30/DVNewEnc@0 @30}" fail || status=1
run_case named_other_dll "" "${good/LIBRARY enc_dv/LIBRARY dvcodec}" fail || status=1
run_case user32_import "-DUSE_USER32 -luser32" "$good" fail || status=1
# A correct DLL of the other word size is not the DLL asked for.
run_case other_machine "" "$good" fail "$other" || status=1
# The codec exports DriverProc alone: the library it links must not export its entries too.
codec=$'LIBRARY enc_dv_vfw\nEXPORTS\n DriverProc @1'
run_case codec_correct "" "$codec" pass "$machine" vfw || status=1
run_case codec_exports_library "" "$codec"$'\n DVNewEnc @30' fail "$machine" vfw || status=1
exit $status
