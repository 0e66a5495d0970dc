# Keeps a list's vector-kernel files only when the build has that instruction set:
# files ending in _sse2<suffix>.cpp get -msse2 and stay when ENC_DV_SSE2_KERNELS is set,
# files ending in _avx2<suffix>.cpp get -mavx2 -mbmi2 (ENC_DV_AVX2_OPTIONS) and stay when
# ENC_DV_AVX2_KERNELS is set, files ending in _neon<suffix>.cpp stay when ENC_DV_NEON_KERNELS
# is set. Everything else is built for the target's baseline.
function(enc_dv_filter_kernel_sources list_var suffix)
    set(sources ${${list_var}})
    set(sse2_sources ${sources})
    list(FILTER sse2_sources INCLUDE REGEX "_sse2${suffix}\\.cpp$")
    list(FILTER sources EXCLUDE REGEX "_sse2${suffix}\\.cpp$")
    if(ENC_DV_SSE2_KERNELS)
        set_source_files_properties(${sse2_sources} PROPERTIES COMPILE_OPTIONS -msse2)
        list(APPEND sources ${sse2_sources})
    endif()
    set(avx2_sources ${sources})
    list(FILTER avx2_sources INCLUDE REGEX "_avx2${suffix}\\.cpp$")
    list(FILTER sources EXCLUDE REGEX "_avx2${suffix}\\.cpp$")
    if(ENC_DV_AVX2_KERNELS)
        set_source_files_properties(${avx2_sources} PROPERTIES COMPILE_OPTIONS
                                    "${ENC_DV_AVX2_OPTIONS}")
        list(APPEND sources ${avx2_sources})
    endif()
    set(neon_sources ${sources})
    list(FILTER neon_sources INCLUDE REGEX "_neon${suffix}\\.cpp$")
    list(FILTER sources EXCLUDE REGEX "_neon${suffix}\\.cpp$")
    if(ENC_DV_NEON_KERNELS)
        list(APPEND sources ${neon_sources})
    endif()
    set(${list_var} ${sources} PARENT_SCOPE)
endfunction()
