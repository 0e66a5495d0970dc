#!/usr/bin/env bash
# Checks that only the vector kernels use the vector registers: every library object built
# from a file not named *_sse2.cpp or *_avx2.cpp (the processor check, the one-time
# initialisation and all the policy code among them) must run on a processor without SSE2,
# so its disassembly may name no XMM or YMM register. The kernel objects must name them (the
# check would be blind otherwise): XMM registers an SSE2 object, YMM registers an AVX2 one.
#
#   check_baseline_objects.sh OBJDUMP LIBRARY_BUILD_DIR
set -euo pipefail
objdump=$1
dir=$2

kernels=0
baseline=0
offenders=0
failed=0
while IFS= read -r -d '' object; do
    uses=$("$objdump" -d "$object" | grep -c '%[xy]mm' || true)
    case $object in
    *_sse2.cpp.o | *_sse2.cpp.obj)
        kernels=$((kernels + 1))
        if [[ $uses -eq 0 ]]; then
            echo "vector kernel object without XMM instructions: $object" >&2
            failed=1
        fi
        ;;
    *_avx2.cpp.o | *_avx2.cpp.obj)
        kernels=$((kernels + 1))
        if [[ $("$objdump" -d "$object" | grep -c '%ymm' || true) -eq 0 ]]; then
            echo "AVX2 kernel object without YMM instructions: $object" >&2
            failed=1
        fi
        ;;
    *)
        baseline=$((baseline + 1))
        if [[ $uses -ne 0 ]]; then
            echo "baseline object uses vector registers ($uses instructions): $object" >&2
            "$objdump" -d "$object" | grep -B20 -m3 '%[xy]mm' >&2 || true
            offenders=$((offenders + 1))
            failed=1
        fi
        ;;
    esac
done < <(find "$dir" \( -name '*.cpp.o' -o -name '*.cpp.obj' \) -print0)

if [[ $baseline -eq 0 ]]; then
    echo "no library objects under $dir" >&2
    exit 1
fi
echo "$((baseline - offenders)) of $baseline baseline objects without vector registers," \
    "$kernels vector kernel objects"
exit $failed
