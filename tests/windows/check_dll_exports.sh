#!/usr/bin/env bash
# Checks the PE tables of enc_dv.dll (or, with KIND vfw, of the codec enc_dv_vfw.dll) as
# `objdump -p` prints them:
#  - a DLL named enc_dv.dll, 32-bit x86 (PE32) or, with MACHINE x64, 64-bit x86 (PE32+);
#  - exactly these exports, by ordinal and undecorated name, and nothing else:
#      1 CompressBuffer_DV, 30 DVNewEnc, 31 DVDoneEnc, 32 DVCompressBuffer,
#      33 InitDVEnc, 43 DVEncGetAPIExt, then the frame writers 44 DVEncWriteTimecode,
#      45 DVEncWriteRecordingDate, 46 DVEncWriteAudio, 47 DVEncAudioSamples,
#      48 DVEncReadRecordingDate;
#    (the codec: a DLL named enc_dv_vfw.dll exporting 1 DriverProc alone);
#  - imports only from KERNEL32.dll and the C runtime (msvcrt.dll, or the
#    api-ms-win-crt-* forwarders of the universal runtime).
# Usage: check_dll_exports.sh path/to/enc_dv.dll [objdump] [x86|x64] [enc_dv|vfw]
#        (defaults i686-w64-mingw32-objdump, x86, enc_dv)
# Exits 0 when everything matches, 1 otherwise, listing every mismatch.
set -uo pipefail

dll=${1:?usage: check_dll_exports.sh DLL [OBJDUMP] [x86|x64]}
objdump=${2:-i686-w64-mingw32-objdump}
machine=${3:-x86}
kind=${4:-enc_dv}
case $machine in
    x86) format=pei-i386 magic='(PE32)' ;;
    x64) format=pei-x86-64 magic='(PE32+)' ;;
    *) echo "error: unknown machine '$machine' (x86 or x64)" >&2; exit 2 ;;
esac

dump=$("$objdump" -p "$dll") || { echo "error: $objdump -p $dll failed" >&2; exit 1; }

case $kind in
    enc_dv)
        dll_name=enc_dv.dll
        expected=$'1 CompressBuffer_DV\n30 DVNewEnc\n31 DVDoneEnc\n32 DVCompressBuffer\n33 InitDVEnc\n43 DVEncGetAPIExt'
        expected+=$'\n44 DVEncWriteTimecode\n45 DVEncWriteRecordingDate\n46 DVEncWriteAudio\n47 DVEncAudioSamples\n48 DVEncReadRecordingDate'
        ;;
    vfw) dll_name=enc_dv_vfw.dll expected='1 DriverProc' ;;
    *) echo "error: unknown kind '$kind' (enc_dv or vfw)" >&2; exit 2 ;;
esac
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

grep -qF "file format $format" <<<"$dump" || fail "not a $format image"
grep -E '^Magic' <<<"$dump" | grep -qF "$magic" || fail "not a $magic optional header"
grep -qE '^[[:space:]]+DLL[[:space:]]*$' <<<"$dump" || fail "the DLL characteristic is not set"

export_name=$(awk '/^Name[[:space:]]/ && $3 != "" { print $3; exit }' <<<"$dump")
[[ $export_name == "$dll_name" ]] || fail "export directory names '$export_name', expected $dll_name"

base=$(awk '/^Ordinal Base/ { print $3; exit }' <<<"$dump")
[[ $base =~ ^[0-9]+$ ]] || { fail "no export table"; base=0; }

# Ordinals that have an address. Older binutils print "[ 29] +base[ 30] 1510 Export RVA",
# newer ones add the name; either way the +base[] number is the ordinal.
addressed=$(awk '
    /^Export Address Table -- Ordinal Base/ { inside = 1; next }
    inside && /^[[:space:]]*$/ { inside = 0 }
    inside && /\+base\[/ {
        line = $0; sub(/.*\+base\[[[:space:]]*/, "", line); sub(/\].*/, "", line); print line
    }' <<<"$dump" | sort -n -u)
if grep -q 'Forwarder RVA' <<<"$dump"; then fail "an export is forwarded to another DLL"; fi

# Name -> ordinal pairs. The bracketed number is the ordinal less the base, unless a
# +base[] form gives the ordinal itself.
named=$(awk -v base="$base" '
    /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
    inside && /^[[:space:]]*$/ { inside = 0 }
    inside && /^[[:space:]]*\[/ {
        line = $0
        if (line ~ /\+base\[/) {
            ordinal = line; sub(/.*\+base\[[[:space:]]*/, "", ordinal); sub(/\].*/, "", ordinal)
        } else {
            ordinal = line; sub(/^[[:space:]]*\[[[:space:]]*/, "", ordinal); sub(/\].*/, "", ordinal)
            ordinal += base
        }
        name = $NF
        print ordinal, name
    }' <<<"$dump" | sort -n)

if [[ $named != "$expected" ]]; then
    fail "exported names and ordinals differ from the expected table"
    diff <(echo "$expected") <(echo "$named") | sed 's/^/    /' >&2
fi
expected_ordinals=$(cut -d' ' -f1 <<<"$expected" | sort -n)
if [[ $addressed != "$expected_ordinals" ]]; then
    fail "ordinals with an address: $(echo $addressed), expected $(echo $expected_ordinals)"
fi
if grep -E '[@?$]|^_' <<<"$(cut -d' ' -f2 <<<"$named")" >/dev/null; then
    fail "decorated export names: $(echo $named)"
fi

imports=$(awk '/DLL Name:/ { print $3 }' <<<"$dump" | sort -u)
[[ -n $imports ]] || fail "no import table"
while read -r import; do
    [[ -z $import ]] && continue
    shopt -s nocasematch
    case $import in
        kernel32.dll | msvcrt.dll | api-ms-win-crt-*.dll) ;;
        *) fail "imports from $import" ;;
    esac
    shopt -u nocasematch
done <<<"$imports"

if ((failures)); then
    echo "$dll: $failures check(s) failed" >&2
    exit 1
fi
echo "$dll: ${magic//[()]/} DLL; exports $(echo $named | tr '\n' ' '); imports $(echo $imports)"
