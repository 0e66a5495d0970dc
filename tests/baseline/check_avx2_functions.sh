#!/usr/bin/env bash
# Checks that only the AVX2 kernels use AVX2 in the linked library: every function with a
# VEX-encoded or BMI2 instruction must be an AVX2 kernel file's own (in its unnamed namespace,
# or its Set<Family>Kernels_AVX2 setter), so that the linker kept no copy of an inline
# function shared with code that runs on any processor (a header's helper built once with
# -mavx2 and once without). There must be some (the check would be blind otherwise).
#
#   check_avx2_functions.sh OBJDUMP LIBRARY
set -euo pipefail
objdump=$1
library=$2

functions=$("$objdump" -d -C --no-show-raw-insn "$library" | awk '
    /^[0-9a-f]+ <.*>:$/ { name = $0; next }
    /\t(v[a-z0-9]+|shlx|shrx|sarx|bzhi|pdep|pext|rorx|mulx)[ \t]/ { print name }' | sort -u)
if [[ -z $functions ]]; then
    echo "no function of $library uses AVX2" >&2
    exit 1
fi
offenders=$(grep -v -e '(anonymous namespace)' -e 'Kernels_AVX2(' <<<"$functions" || true)
if [[ -n $offenders ]]; then
    echo "functions outside the AVX2 kernels use AVX2 instructions:" >&2
    echo "$offenders" >&2
    exit 1
fi
echo "$(wc -l <<<"$functions") functions use AVX2, all of them AVX2 kernels"
