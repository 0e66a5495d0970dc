/*
 * enc_dv: software encoder for standard-definition 25 Mbit/s DV video
 * (IEC 61834-2 DIF frames; SMPTE 314M header form and 4:1:1 at 625/50 on request).
 *
 * A host hands over one uncompressed 720-pixel frame per call and receives one
 * complete DV frame: 120000 bytes (525/60) or 144000 bytes (625/50), or 119200 /
 * 143040 bytes without the header DIF blocks. Usable from C and C++.
 *
 * Setting: on x86 (32 and 64 bits) the encoder needs SSE2, which it detects with
 * CPUID before every frame, unless the CPUFeatures entry of section DVCODEC (the
 * Windows profile; elsewhere the environment variable DVCODEC_CPUFEATURES) holds a
 * list of feature words such as "mmx, sse, sse2" (separated by spaces, commas, tabs or
 * newlines, any letter case). A list replaces detection; a list without "sse2" makes
 * every frame fail. Empty, unset or exactly "auto" means detection. On other
 * processors (AArch64 and the rest) the setting is ignored and no frame is refused
 * for a processor feature. Every build produces the same bytes for the same call.
 */
#ifndef ENC_DV_H
#define ENC_DV_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define DVENC_EXPORT __declspec(dllimport)
#else
#define DVENC_EXPORT
#endif
#ifdef ENC_DV_BUILDING_LIBRARY
#undef DVENC_EXPORT
#if defined(_WIN32)
#define DVENC_EXPORT __declspec(dllexport)
#else
#define DVENC_EXPORT __attribute__((visibility("default")))
#endif
#endif

/* Opaque encoder handle: serialises calls and keeps worker threads between frames. */
typedef struct DVEncoderHandle DVEncoderHandle;

/* Information query handed out by DVEncGetAPIExt(DVENC_API_QUERY_INFO).
 * Returns 0 on success, 1 on failure (unknown type or null out). */
typedef int (*DVEncQueryInfoFunction)(int type, void* out);

/* Bits of the flags word of a compress call. Every other bit is ignored. */
enum {
    DVENC_FLAG_SWAP_FIELDS = 0x1,       /* exchange lines 2i and 2i+1 of every block */
    DVENC_FLAG_MB_QUANT = 0x2,          /* one-pass quantization selection */
    DVENC_FLAG_WIDE = 0x4,              /* announce a 16:9 picture */
    DVENC_FLAG_SMPTE314M = 0x8,         /* SMPTE 314M header; 4:1:1 at 625/50 */
    DVENC_FLAG_NO_HEADER_BLOCK = 0x10,  /* 149 DIF blocks per sequence */
    DVENC_FLAG_VIDEO_ONLY = 0x20,       /* leave header/subcode/VAUX/audio blocks untouched */
    DVENC_FLAG_SINGLE_THREAD = 0x10000, /* encode on the calling thread only */
    DVENC_FLAG_ALPHA_WEIGHT = 0x100000, /* BGRA, R32C, VUYA: weight colours by alpha */
    DVENC_FLAG_BEST_QUALITY = 0x200000  /* best-quality mode (see below) */
};

/* DVENC_FLAG_BEST_QUALITY: each video segment's classes, quantization numbers and
 * coefficient amplitudes are chosen for the least picture error within the segment's fixed
 * size (rate-distortion optimisation), instead of by the fixed estimate. Higher PSNR, but
 * many times slower than the default; valid DV for every system, layout and flag,
 * deterministic, the same bytes on any number of threads and on every processor.
 * DVENC_FLAG_MB_QUANT has no effect with it. Without it the frames are exactly the default
 * ones. The Quality entry of section DVCODEC (the Windows profile; elsewhere the
 * environment variable DVCODEC_QUALITY) set to "best" turns the mode on for every frame,
 * as if every call passed the flag; unset, empty, "default" or any other word leaves it to
 * the flag. The entry is read on every frame like CPUFeatures: words separated by spaces,
 * commas, tabs or newlines, any letter case. */

/* FOURCC values of the accepted source layouts (low byte = first character). */
enum {
    DVENC_FOURCC_YUY2 = 0x32595559, /* "YUY2": Y0 Cb Y1 Cr */
    DVENC_FOURCC_YUYV = 0x56595559, /* "YUYV": same as YUY2 */
    DVENC_FOURCC_YuYv = 0x76597559, /* "YuYv": same as YUY2 */
    DVENC_FOURCC_UYVY = 0x59565955, /* "UYVY": Cb Y0 Cr Y1 */
    DVENC_FOURCC_UyVy = 0x79567955, /* "UyVy": same as UYVY */
    DVENC_FOURCC_BGR3 = 0x33524742, /* "BGR3": B G R, full range */
    DVENC_FOURCC_BGR4 = 0x34524742, /* "BGR4": B G R x, full range */
    DVENC_FOURCC_BGRA = 0x41524742, /* "BGRA": B G R A, full range */
    DVENC_FOURCC_VUYA = 0x41595556, /* "VUYA": Cr Cb Y A */
    DVENC_FOURCC_R24C = 0x43343252, /* "R24C": B G R, studio range */
    DVENC_FOURCC_R32C = 0x43323352, /* "R32C": B G R A, studio range */
    DVENC_FOURCC_I420 = 0x30323449, /* "I420": planes Y, Cb, Cr at 4:2:0 */
    DVENC_FOURCC_IYUV = 0x56555949, /* "IYUV": same as I420 */
    DVENC_FOURCC_YV12 = 0x32315659, /* "YV12": planes Y, Cr, Cb at 4:2:0 */
    DVENC_FOURCC_Y41B = 0x42313459, /* "Y41B": planes Y, Cb, Cr at 4:1:1 */
    DVENC_FOURCC_Y42B = 0x42323459, /* "Y42B": planes Y, Cb, Cr at 4:2:2 */
    DVENC_FOURCC_YV16 = 0x36315659  /* "YV16": planes Y, Cr, Cb at 4:2:2 */
};

/* Planar layouts: source points at the luma plane, `height` lines of sourcePitch bytes
 * (the first `width` of each used); the two chroma planes follow it directly in the order
 * the FOURCC names, each line sourcePitch / 2 bytes (4:2:0, 4:2:2) or sourcePitch / 4 bytes
 * (4:1:1) long, with (height + 1) / 2 lines (4:2:0) or height lines (4:2:2, 4:1:1). The
 * frame is refused (0, output untouched) when sourcePitch is below width, negative, or not
 * a multiple of 2 (4:2:0, 4:2:2) or 4 (4:1:1). DVENC_FLAG_ALPHA_WEIGHT has no effect.
 * Where the layout samples chroma as the DV system does - 4:2:0 at 625/50 (without
 * DVENC_FLAG_SMPTE314M), 4:1:1 at 525/60 and at 625/50 with DVENC_FLAG_SMPTE314M - every
 * chroma sample goes into the frame unchanged, at the place a DV decoder delivering 4:2:0
 * or 4:1:1 returns it to (4:2:0 chroma line j of a 625/50 picture belongs to field j mod 2,
 * as in DV), so frames decoded and encoded again keep their colour. Otherwise the chroma
 * is converted, the two fields kept apart: 4:2:2 exactly as the packed 4:2:2 layouts are
 * read (a planar 4:2:2 frame encodes to the same bytes as its YUY2 copy); 4:1:1 to 4:2:0 by
 * doubling each line (every second sample the rounded mean of its neighbours), then as
 * 4:2:2; 4:2:0 to 4:1:1 by interpolating each line's chroma within its field ((3 a + b + 2)
 * >> 2 from the field's chroma lines a quarter and three quarters of a line away, the
 * chroma of a field lying midway between two of its lines, as DV's own 4:2:0), then as
 * 4:2:2. A 720x486 frame is read from its luma lines 2 to 481 with the chroma of those
 * lines. */

/* Ids for DVEncGetAPIExt and query types for DVEncQueryInfoFunction. */
enum {
    DVENC_API_QUERY_INFO = 1,
    DVENC_QUERY_CAPABILITY = 3, /* writes the 32-bit value 1 */
    DVENC_QUERY_VERSION = 4,    /* writes the 11 characters "8.5.0.19970", no terminator */
    DVENC_QUERY_PLATFORM = 5    /* writes the 15 characters "QXPLATFORM_IA32", no terminator,
                                   on every processor and system (hosts compare it) */
};

/* Frame sizes in bytes. */
enum {
    DVENC_FRAME_BYTES_525 = 120000,
    DVENC_FRAME_BYTES_625 = 144000,
    DVENC_FRAME_BYTES_525_NO_HEADER = 119200,
    DVENC_FRAME_BYTES_625_NO_HEADER = 143040,
    DVENC_MAX_FRAME_BYTES = 144000
};

/* Builds the process-wide tables once; later calls return at once. Optional:
 * every compress call runs it. Safe to call from several threads at once. */
DVENC_EXPORT void InitDVEnc(void);

/* Creates an encoder handle: its calls are serialised, and the worker threads it
 * starts stay parked between frames. Returns null when memory is short. */
DVENC_EXPORT DVEncoderHandle* DVNewEnc(void);

/* Ends the handle's worker threads and frees it. A null handle is ignored.
 * Must not run concurrently with a compress call on the same handle. */
DVENC_EXPORT void DVDoneEnc(DVEncoderHandle* handle);

/* Encodes one frame with a handle. source points at the top picture line;
 * sourcePitch is the byte distance between lines (negative for bottom-up
 * images). width must be 720; height 480 or 486 (525/60; a 486-line picture
 * loses its first two and last four lines) or 576 (625/50). Any other size is
 * encoded as 625/50 from the first 720 pixels of the first 576 lines, so it
 * needs at least 720 pixels and 576 lines; a taller or wider picture encodes
 * exactly as those 720 x 576 pixels. output must hold the returned number of
 * bytes (at most DVENC_MAX_FRAME_BYTES).
 * Returns the number of bytes written, or 0 with output untouched (and the
 * source not read) when the frame is refused: unknown fourcc (exact,
 * case-sensitive match), on x86 no SSE2 (or a DVCODEC CPUFeatures list
 * without "sse2"), memory short, a null handle, source or output, a width below 720,
 * a |sourcePitch| below 720 pixels of the layout (lines would overlap; planar layouts:
 * see above), or too
 * few lines for the video system: fewer than 576 for every size but 720x480
 * and 720x486, with or without DVENC_FLAG_SMPTE314M (720x500 and 640x480 are
 * refused). Only a live handle from DVNewEnc may be passed; a destroyed one
 * cannot be detected.
 * Calls on one handle run one at a time; calls on different handles may run
 * concurrently. The two ignored arguments are not read. */
DVENC_EXPORT int DVCompressBuffer(DVEncoderHandle* handle, const void* source, int sourcePitch,
                                  void* output, int ignored1, int width, int height, int ignored2,
                                  unsigned flags, unsigned fourcc);

/* As DVCompressBuffer, without a handle and without a lock: worker threads are
 * created for this call and ended before it returns. May run concurrently with
 * any other compress call. */
DVENC_EXPORT int CompressBuffer_DV(const void* source, int sourcePitch, void* output, int ignored1,
                                   int width, int height, int ignored2, unsigned flags,
                                   unsigned fourcc);

/* Returns the information query function for id DVENC_API_QUERY_INFO (1), else
 * null. The query writes only the bytes listed with DVENC_QUERY_* and returns 1,
 * writing nothing, for another type or a null out. */
DVENC_EXPORT DVEncQueryInfoFunction DVEncGetAPIExt(int id);

#ifdef __cplusplus
}
#endif

#endif /* ENC_DV_H */
