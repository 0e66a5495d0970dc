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
 * every frame fail. The word "avx2" lets the encoder use AVX2 (with BMI2) where the
 * processor and the operating system support it: a list without it keeps the encoder
 * to SSE2, and no list turns AVX2 on where detection did not find it. The kernels are
 * chosen once, at the first call that initialises the library. Empty, unset or exactly
 * "auto" means detection. On other processors (AArch64 and the rest) the setting is
 * ignored and no frame is refused for a processor feature. Every build and every
 * choice of kernels produces the same bytes for the same call.
 *
 * Sound, a time code and a recording date go into a frame after it is encoded, with the
 * DVEncWrite* functions at the end of this header.
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

/* ---- Sound, time code and recording date --------------------------------------------
 *
 * What the compress calls write besides the video: in every DIF sequence the header block
 * (unless DVENC_FLAG_NO_HEADER_BLOCK), two subcode blocks with no packs (all 0xFF), three
 * VAUX blocks with the VAUX source and source control packs (system, 4:3 or 16:9) and
 * otherwise empty, and nine audio blocks of silence whose AAUX packs say 48 kHz. The
 * functions below fill in what a complete DV file carries on top, into a frame that a
 * compress call returned (either system, with or without header blocks, not written with
 * DVENC_FLAG_VIDEO_ONLY), after the call and before the frame is stored:
 *   DVEncWriteTimecode       the subcode time code packs (pack 13h);
 *   DVEncWriteRecordingDate  the recording date and time packs of the VAUX (62h, 63h), the
 *                            AAUX (52h, 53h) and the subcode (62h, 63h);
 *   DVEncWriteAudio          the samples of every audio block and the AAUX source and
 *                            source control packs (50h, 51h).
 * Each writes only those bytes and, in the header blocks, clears the transmitting flag of
 * the area it filled (TF3, subcode, for the time code and the date; TF1, audio, for the
 * sound), which the SMPTE 314M form of the header leaves set; the video blocks, the VAUX
 * source packs and every other byte stay as the compress call wrote them. They may be
 * called in any order, or not at all; calling one again overwrites what it wrote.
 *
 * frameBytes is the compress call's result: DVENC_FRAME_BYTES_525 or _625, or their
 * _NO_HEADER sizes; it alone gives the system. frameIndex counts the frames of the stream
 * from 0: the time code, the date and time and the sample count of a frame follow from the
 * first frame's and the frame's place. A null frame checks the arguments, writes nothing
 * and returns what the call would return.
 *
 * Results: DVENC_FILL_OK (0) when written; otherwise, with the frame untouched, the first
 * refusal found in the order each function lists them (the frame size, then the index, then
 * its own arguments). The functions keep no state, allocate nothing and may
 * run on any threads at once (on different frames).
 */
enum {
    DVENC_FILL_OK = 0,
    DVENC_FILL_FRAME_SIZE = 1,   /* frameBytes is none of the four frame sizes */
    DVENC_FILL_TIMECODE = 2,     /* no such label in the system (see DVEncTimecode), or null */
    DVENC_FILL_DATE = 3,         /* no such date or time, a year outside 1975-2074, or null */
    DVENC_FILL_SAMPLE_COUNT = 4, /* not DVEncAudioSamples(frameBytes, sampleRate, frameIndex) */
    DVENC_FILL_SAMPLE_RATE = 5,  /* not 48000, 44100 or 32000 */
    DVENC_FILL_CHANNELS = 6,     /* not 1 or 2, nor 4 at 32000 Hz */
    DVENC_FILL_FRAME_INDEX = 7   /* frameIndex below 0 */
};

/* A time code label: hours 0-23, minutes 0-59, seconds 0-59, frames 0-24 at 625/50 and
 * 0-29 at 525/60. dropFrame (525/60 only; any other value than 0 counts as 1) counts
 * drop-frame, which leaves out frames 00 and 01 of every minute not divisible by ten so
 * that the labels keep pace with 30000/1001 frames a second; those labels do not exist. */
typedef struct DVEncTimecode {
    int hours;
    int minutes;
    int seconds;
    int frames;
    int dropFrame;
} DVEncTimecode;

/* A recording date and time of day. The packs hold the year's last two digits, which stand
 * for 1975-2074 (some readers show 25-74 as 1925-1974). hour -1 means a date without a time
 * (minute and second are then not read): the time packs stay empty. */
typedef struct DVEncRecordingDate {
    int year;   /* 1975-2074 */
    int month;  /* 1-12 */
    int day;    /* 1-31, a day of that month (29 February in leap years only) */
    int hour;   /* 0-23, or -1 */
    int minute; /* 0-59 */
    int second; /* 0-59 */
} DVEncRecordingDate;

/* Writes the time code of frame frameIndex of a stream whose frame 0 is labelled *first,
 * counting up one label per frame (drop-frame when first->dropFrame) and starting again at
 * 00:00:00:00 after 23:59:59. Refusals: DVENC_FILL_FRAME_SIZE, DVENC_FILL_FRAME_INDEX,
 * DVENC_FILL_TIMECODE (e.g. 24:00:00:00, frame 25 at 625/50, drop-frame at 625/50,
 * 00:01:00;00). */
DVENC_EXPORT int DVEncWriteTimecode(void* frame, int frameBytes, const DVEncTimecode* first,
                                    int frameIndex);

/* Writes the recording date and time of frame frameIndex of a recording that started at
 * *start: start plus the whole seconds before the frame (25 frames a second at 625/50,
 * 30000/1001 at 525/60); a date without a time stays as it is. Time zone, day of the week
 * and frame number are written as unknown. Refusals: DVENC_FILL_FRAME_SIZE,
 * DVENC_FILL_FRAME_INDEX, DVENC_FILL_DATE (e.g. 2026-02-29, 2026-04-31, 25:00:00). */
DVENC_EXPORT int DVEncWriteRecordingDate(void* frame, int frameBytes,
                                         const DVEncRecordingDate* start, int frameIndex);

/* Reads the recording date and time of a DV frame (one the library wrote or any other of
 * these sizes, as a camcorder records it): the first VAUX recording date pack (62h) that
 * holds a date that exists, with the time of the first valid recording time pack (63h), or
 * hour -1 when there is none; two-digit years 75-99 are read as 1975-1999, 00-74 as
 * 2000-2074. Writes *date only on success. Results: DVENC_FILL_OK; DVENC_FILL_FRAME_SIZE
 * (frameBytes none of the four frame sizes, or a null frame); DVENC_FILL_DATE (no date in
 * the frame, or a null date). */
DVENC_EXPORT int DVEncReadRecordingDate(const void* frame, int frameBytes,
                                        DVEncRecordingDate* date);

/* Writes the sound of frame frameIndex: sampleCount sample frames of 16-bit signed PCM,
 * channels 1 or 2 (interleaved left, right), at sampleRate 48000, 44100 or 32000 Hz. The
 * first channel goes to the first half of the DIF sequences and the second to the other
 * half, shuffled as IEC 61834-2 lays them out; one channel goes to both. At 32000 Hz,
 * channels may also be 4 (interleaved 1, 2, 3, 4): the four-channel mode camcorders record,
 * channels 1 and 2 as a pair in the first half and 3 and 4 in the other, each sample coded
 * to DV's 12-bit non-linear form (exact to +-511, then to a step of 2 to 64 towards zero;
 * readers show the pairs as two stereo streams). sampleCount must
 * be DVEncAudioSamples(frameBytes, sampleRate, frameIndex). A sample of -32768, which DV
 * reserves to mark a lost sample, is written as -32767. samples null: silence, with the
 * packs of the frame's count (sampleCount is then not read). 48 kHz is written as locked
 * to the video, 44.1 and 32 kHz as unlocked. Refusals: DVENC_FILL_FRAME_SIZE,
 * DVENC_FILL_FRAME_INDEX, DVENC_FILL_SAMPLE_RATE, DVENC_FILL_CHANNELS,
 * DVENC_FILL_SAMPLE_COUNT. */
DVENC_EXPORT int DVEncWriteAudio(void* frame, int frameBytes, const short* samples, int sampleCount,
                                 int channels, int sampleRate, int frameIndex);

/* The number of sample frames that frame frameIndex of a stream holds at sampleRate:
 * rate / 25 at 625/50; at 525/60, 48 kHz in the locked five-frame pattern 1600, 1602, 1602,
 * 1602, 1602 (8008 samples every five frames, frame 0 holding 1600), 44.1 and 32 kHz the
 * whole samples due by the end of the frame at 30000/1001 frames a second less those due
 * before it (1471 or 1472, 1067 or 1068). 0 for a frameBytes, sampleRate or frameIndex
 * that DVEncWriteAudio refuses. */
DVENC_EXPORT int DVEncAudioSamples(int frameBytes, int sampleRate, int frameIndex);

/* The most sample frames DVEncAudioSamples returns (48 kHz at 625/50). */
enum { DVENC_MAX_AUDIO_SAMPLES = 1920 };

#ifdef __cplusplus
}
#endif

#endif /* ENC_DV_H */
