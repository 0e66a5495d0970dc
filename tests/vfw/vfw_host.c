/* Windows host of the Video for Windows codec: opens it by its FOURCC through msvfw32, as
 * programs do, and compares every frame with enc_dv.dll's frame of the same picture and
 * settings (with the time code the codec writes from the frame number).
 *   vfw_host suite CODEC_DLL ENC_DV_DLL OUT_DIR  installed as a function: layouts, settings,
 *       refusals, workers, and OUT_DIR/vfw.avi through avifil32 with its frames beside it
 *   vfw_host driver CODEC_DLL ENC_DV_DLL         installed as a driver by file name
 *   vfw_host registered ENC_DV_DLL [absent]      installed in the registry (or removed)
 * Exit status 0 when every check passed. */
#include <windows.h>

#include <tlhelp32.h>
#include <vfw.h>

#include <stdio.h>
#include <string.h>

#include "enc_dv.h"

enum { kDvsd = mmioFOURCC('d', 'v', 's', 'd'), kBest = DVENC_FLAG_BEST_QUALITY };

typedef int (*CompressFunction)(const void*, int, void*, int, int, int, int, unsigned, unsigned);
typedef int (*TimecodeFunction)(void*, int, const DVEncTimecode*, int);
static CompressFunction libraryCompress;
static TimecodeFunction libraryTimecode;
static int failures;
static unsigned char bits[720 * 576 * 4], topDown[720 * 576 * 4];
static unsigned char dv[DVENC_MAX_FRAME_BYTES], expected[DVENC_MAX_FRAME_BYTES];

static void Fail(const char* what, const char* detail, long value) {
    printf("FAIL %s: %s (%ld)\n", what, detail, value);
    ++failures;
}

/* A picture in `bits` as the codec reads it, and in `topDown` as the library reads it in
 * the layout `fourcc` (BI_RGB with a positive height is stored bottom line first). */
typedef struct Picture {
    BITMAPINFOHEADER header;
    unsigned fourcc;
    int pitch, lines;
} Picture;

static Picture MakePicture(DWORD compression, WORD bitCount, LONG height, unsigned fourcc,
                           int pitch, int bytesPerTwoLines, unsigned seed) {
    const int lines = height < 0 ? -height : height;
    const size_t bytes = (size_t)bytesPerTwoLines * lines / 2;
    const Picture p = {{.biSize = sizeof(BITMAPINFOHEADER),
                        .biWidth = 720,
                        .biHeight = height,
                        .biPlanes = 1,
                        .biBitCount = bitCount,
                        .biCompression = compression,
                        .biSizeImage = (DWORD)bytes},
                       fourcc,
                       pitch,
                       lines};
    for (size_t i = 0; i < bytes; ++i) { /* gradients with a little noise */
        const unsigned x = (unsigned)(i % (size_t)pitch), y = (unsigned)(i / pitch) + seed;
        topDown[i] = (unsigned char)(x * 7 / 8 + y * 3 + ((x * 2654435761u ^ y) >> 28));
    }
    memcpy(bits, topDown, bytes);
    if (compression == BI_RGB && height > 0)
        for (int y = 0; y < lines; ++y)
            memcpy(bits + (size_t)y * pitch, topDown + (size_t)(lines - 1 - y) * pitch, pitch);
    return p;
}

static Picture Yuy2(LONG height, unsigned seed) {
    return MakePicture(mmioFOURCC('Y', 'U', 'Y', '2'), 16, height, DVENC_FOURCC_YUY2, 1440, 2880,
                       seed);
}

/* The library's frame of the picture in `expected`: its size, 0 when refused. */
static int LibraryFrame(const Picture* p, unsigned flags, int index) {
    const int size =
        libraryCompress(topDown, p->pitch, expected, 0, 720, p->lines, 0, flags, p->fourcc);
    const DVEncTimecode zero = {0, 0, 0, 0, size == DVENC_FRAME_BYTES_525};
    return size && libraryTimecode(expected, size, &zero, index) == DVENC_FILL_OK ? size : 0;
}

/* Frame `index` of the picture from the codec at host quality `quality` must be the
 * library's frame with `flags`, a key frame. */
static void CheckFrame(const char* name, HIC codec, const Picture* p, int index, DWORD quality,
                       unsigned flags) {
    BITMAPINFOHEADER out;
    DWORD ckid = 0, indexFlags = 0;
    ICCompressGetFormat(codec, &p->header, &out);
    const LRESULT result =
        ICCompress(codec, ICCOMPRESS_KEYFRAME, &out, dv, (BITMAPINFOHEADER*)&p->header, bits, &ckid,
                   &indexFlags, index, 0, quality, NULL, NULL);
    const int size = LibraryFrame(p, flags, index);
    if (result != ICERR_OK || !size || out.biSizeImage != (DWORD)size)
        Fail(name, "frame refused or of the wrong size", (long)result);
    else if (memcmp(dv, expected, (size_t)size) != 0)
        Fail(name, "frame differs from the library's", index);
    else if (!(indexFlags & AVIIF_KEYFRAME) || ckid != cktypeDIBcompressed)
        Fail(name, "not a key frame", (long)indexFlags);
}

/* Every layout, each size and RGB orientation at least once: query, format, size and two
 * frames of a BEGIN/END run at the default quality (the best-quality mode). */
static void CheckLayouts(HIC codec) {
    static const struct {
        const char* name;
        DWORD compression;
        WORD bitCount;
        LONG height;
        unsigned fourcc;
        int pitch, bytesPerTwoLines;
    } kCases[] = {
        {"BI_RGB 24 bottom-up", BI_RGB, 24, 576, DVENC_FOURCC_BGR3, 2160, 4320},
        {"BI_RGB 24 top-down", BI_RGB, 24, -480, DVENC_FOURCC_BGR3, 2160, 4320},
        {"BI_RGB 32 bottom-up", BI_RGB, 32, 486, DVENC_FOURCC_BGR4, 2880, 5760},
        {"BI_RGB 32 top-down", BI_RGB, 32, -576, DVENC_FOURCC_BGR4, 2880, 5760},
        {"YUY2", mmioFOURCC('Y', 'U', 'Y', '2'), 16, 576, DVENC_FOURCC_YUY2, 1440, 2880},
        {"UYVY", mmioFOURCC('U', 'Y', 'V', 'Y'), 16, -480, DVENC_FOURCC_UYVY, 1440, 2880},
        {"I420", mmioFOURCC('I', '4', '2', '0'), 12, 576, DVENC_FOURCC_I420, 720, 2160},
        {"IYUV", mmioFOURCC('I', 'Y', 'U', 'V'), 12, 486, DVENC_FOURCC_IYUV, 720, 2160},
        {"YV12", mmioFOURCC('Y', 'V', '1', '2'), 12, 480, DVENC_FOURCC_YV12, 720, 2160},
        {"Y41B", mmioFOURCC('Y', '4', '1', 'B'), 12, 480, DVENC_FOURCC_Y41B, 720, 2160},
        {"Y42B", mmioFOURCC('Y', '4', '2', 'B'), 16, 576, DVENC_FOURCC_Y42B, 720, 2880},
        {"YV16", mmioFOURCC('Y', 'V', '1', '6'), 16, -486, DVENC_FOURCC_YV16, 720, 2880},
    };
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
        const Picture p =
            MakePicture(kCases[i].compression, kCases[i].bitCount, kCases[i].height,
                        kCases[i].fourcc, kCases[i].pitch, kCases[i].bytesPerTwoLines, 0);
        const DWORD size = p.lines == 576 ? 144000 : 120000;
        BITMAPINFOHEADER out;
        if (ICCompressQuery(codec, &p.header, NULL) != ICERR_OK ||
            ICCompressGetFormat(codec, &p.header, &out) != ICERR_OK || out.biCompression != kDvsd ||
            out.biWidth != 720 || out.biHeight != (p.lines == 576 ? 576 : 480) ||
            out.biSizeImage != size || ICCompressGetSize(codec, &p.header, &out) != size ||
            ICCompressBegin(codec, &p.header, &out) != ICERR_OK) {
            Fail(kCases[i].name, "not taken as dvsd of the frame's size", 0);
            continue;
        }
        CheckFrame(kCases[i].name, codec, &p, 0, ICQUALITY_DEFAULT, kBest);
        CheckFrame(kCases[i].name, codec, &p, 1234, ICQUALITY_DEFAULT, kBest);
        ICCompressEnd(codec);
    }
}

static void MakeState(unsigned char blob[16], const char* magic, DWORD version, DWORD quality,
                      DWORD flags) {
    const DWORD words[3] = {version, quality, flags};
    memcpy(blob, magic, 4);
    for (int b = 0; b < 12; ++b) blob[4 + b] = (unsigned char)(words[b / 4] >> (8 * (b % 4)));
}

/* The state: what each blob chooses with the host's quality, its round trip, and the blobs
 * it refuses (of another codec or version, unknown values, short), keeping the last state. */
static void CheckSettings(HIC codec) {
    static const struct {
        DWORD mode, stateFlags, quality;
        LONG height;
        unsigned flags;
    } kCases[] = {
        {0, 0, (DWORD)ICQUALITY_DEFAULT, 576, kBest},
        {0, 0, 4999, 576, 0},
        {0, 1, 5000, -480, kBest | DVENC_FLAG_WIDE},
        {1, 2, 10000, 576, DVENC_FLAG_SMPTE314M},
        {1, 3, (DWORD)ICQUALITY_DEFAULT, 486, DVENC_FLAG_SMPTE314M | DVENC_FLAG_WIDE},
        {2, 2, 0, 576, kBest | DVENC_FLAG_SMPTE314M},
    };
    static const struct {
        const char* magic;
        DWORD version, quality, flags, size;
    } kRefused[] = {{"EDVs", 1, 0, 0, 16},
                    {"EDVS", 2, 0, 0, 16},
                    {"EDVS", 1, 3, 0, 16},
                    {"EDVS", 1, 0, 4, 16},
                    {"EDVS", 1, 0, 0, 15}};
    unsigned char blob[16], readBack[16];
    if (ICGetStateSize(codec) != 16) Fail("state", "size", (long)ICGetStateSize(codec));
    for (size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
        MakeState(blob, "EDVS", 1, kCases[i].mode, kCases[i].stateFlags);
        if (ICSetState(codec, blob, sizeof blob) != 16 ||
            ICGetState(codec, readBack, sizeof readBack) != ICERR_OK ||
            memcmp(blob, readBack, sizeof blob) != 0)
            Fail("state", "not read back as set", (long)i);
        const Picture p = Yuy2(kCases[i].height, (unsigned)i);
        CheckFrame("state", codec, &p, (int)i, kCases[i].quality, kCases[i].flags);
    }
    for (size_t i = 0; i <= sizeof kRefused / sizeof kRefused[0]; ++i) {
        MakeState(readBack, "EDVS", 1, 2, 2);            /* the last state set */
        if (i == sizeof kRefused / sizeof kRefused[0]) { /* no blob: the default */
            MakeState(readBack, "EDVS", 1, 0, 0);
            ICSetState(codec, NULL, 0);
        } else {
            MakeState(blob, kRefused[i].magic, kRefused[i].version, kRefused[i].quality,
                      kRefused[i].flags);
            if (ICSetState(codec, blob, kRefused[i].size) != 0) Fail("state", "taken", (long)i);
        }
        if (ICGetState(codec, blob, sizeof blob) != ICERR_OK || memcmp(blob, readBack, 16) != 0)
            Fail("state", "changed by a refused blob, or not reset", (long)i);
    }
}

/* An ICCOMPRESS of its own for each of four calls in one table. */
static ICCOMPRESS* Frame(int slot, BITMAPINFOHEADER* input, void* data, BITMAPINFOHEADER* output) {
    static ICCOMPRESS frames[4];
    const ICCOMPRESS frame = {
        .lpbiOutput = output, .lpOutput = dv, .lpbiInput = input, .lpInput = data};
    frames[slot] = frame;
    return &frames[slot];
}

/* Inputs the library cannot encode, outputs the frames do not have, null pointers and a
 * short output buffer: each refused with its code, the output untouched. */
static void CheckRefusals(HIC codec) {
    static const BITMAPINFOHEADER kInputs[] = {
        {40, 719, 576, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 704, 576, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 720, 575, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 720, -577, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 720, 600, 1, 32, BI_RGB},
        {40, 720, (LONG)0x80000000u, 1, 24, BI_RGB},
        {40, 720, 0, 1, 24, BI_RGB},
        {40, 720, 576, 1, 16, BI_RGB},
        {40, 720, 576, 1, 24, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 720, 576, 1, 12, mmioFOURCC('M', 'J', 'P', 'G')},
        {40, 720, 576, 2, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {12, 720, 576, 1, 16, mmioFOURCC('Y', 'U', 'Y', '2')},
        {40, 720, 576, 1, 12, mmioFOURCC('I', '4', '2', '0'), 720 * 576 * 3 / 2 - 1},
    };
    for (size_t i = 0; i < sizeof kInputs / sizeof kInputs[0]; ++i)
        if (ICCompressQuery(codec, &kInputs[i], NULL) != ICERR_BADFORMAT ||
            ICCompressGetSize(codec, &kInputs[i], NULL) != 0)
            Fail("refusal", "an input the library cannot encode is taken", (long)i);

    Picture p = Yuy2(576, 0);
    BITMAPINFOHEADER out, mjpg, short480, half, oddIn = p.header;
    ICCompressGetFormat(codec, &p.header, &out);
    mjpg = short480 = half = out;
    mjpg.biCompression = mmioFOURCC('M', 'J', 'P', 'G');
    short480.biHeight = 480;
    half.biWidth = 360;
    oddIn.biHeight = 577;
    BITMAPINFOHEADER tooSmall = out;
    tooSmall.biSizeImage = 143999;
    ICINFO info;
    DWORD quality = 0;
    unsigned char state[16];
    const struct {
        UINT message;
        const void *first, *second;
        LRESULT expected;
    } kCalls[] = {
        {ICM_COMPRESS_QUERY, &p.header, &mjpg, ICERR_BADFORMAT},
        {ICM_COMPRESS_QUERY, &p.header, &short480, ICERR_BADFORMAT},
        {ICM_COMPRESS_QUERY, &p.header, &half, ICERR_BADFORMAT},
        {ICM_COMPRESS_QUERY, NULL, NULL, ICERR_BADPARAM},
        {ICM_COMPRESS_GET_FORMAT, NULL, &out, ICERR_BADPARAM},
        {ICM_COMPRESS_BEGIN, &p.header, NULL, ICERR_BADPARAM},
        {ICM_COMPRESS, NULL, (void*)sizeof(ICCOMPRESS), ICERR_BADPARAM},
        {ICM_COMPRESS, Frame(0, &p.header, bits, &out), (void*)(sizeof(ICCOMPRESS) - 1),
         ICERR_BADPARAM},
        {ICM_COMPRESS, Frame(1, &p.header, NULL, &out), (void*)sizeof(ICCOMPRESS), ICERR_BADPARAM},
        {ICM_COMPRESS, Frame(2, &p.header, bits, &tooSmall), (void*)sizeof(ICCOMPRESS),
         ICERR_BADSIZE},
        {ICM_COMPRESS, Frame(3, &oddIn, bits, &out), (void*)sizeof(ICCOMPRESS), ICERR_BADFORMAT},
        {ICM_GETINFO, &info, (void*)(sizeof info - 1), 0},
        {ICM_GETDEFAULTQUALITY, NULL, NULL, ICERR_BADPARAM},
        {ICM_GETDEFAULTQUALITY, &quality, NULL, ICERR_OK},
        {ICM_GETSTATE, state, (void*)15, ICERR_BADSIZE},
        {ICM_DECOMPRESS_QUERY, &out, NULL, ICERR_UNSUPPORTED},
        {ICM_CONFIGURE, (void*)-1, (void*)ICMF_CONFIGURE_QUERY, ICERR_UNSUPPORTED},
        {DRV_USER + 0x777, NULL, NULL, ICERR_UNSUPPORTED},
    };
    memset(dv, 0x5A, sizeof dv);
    for (size_t i = 0; i < sizeof kCalls / sizeof kCalls[0]; ++i)
        if (ICSendMessage(codec, kCalls[i].message, (DWORD_PTR)kCalls[i].first,
                          (DWORD_PTR)kCalls[i].second) != kCalls[i].expected)
            Fail("refusal", "message answered", (long)i);
    for (size_t i = 0; i < sizeof dv; ++i)
        if (dv[i] != 0x5A) {
            Fail("refusal", "a refused frame was written", (long)i);
            break;
        }
    if (quality != 10000) Fail("refusal", "default quality", (long)quality);
    if (ICOpen(ICTYPE_VIDEO, kDvsd, ICMODE_DECOMPRESS)) Fail("refusal", "opens to decompress", 0);
}

/* The ids of this process's threads, ascending; returns their count (at most 64). */
static int ThreadIds(DWORD ids[64]) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {.dwSize = sizeof entry};
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId() && count < 64) {
            int at = count++;
            for (; at > 0 && ids[at - 1] > entry.th32ThreadID; --at) ids[at] = ids[at - 1];
            ids[at] = entry.th32ThreadID;
        }
    CloseHandle(snapshot);
    return count;
}

/* A BEGIN/END run keeps the same worker threads from frame to frame (on more than one
 * processor) and ends them at ICCompressEnd. */
static void CheckWorkerThreads(HIC codec) {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    DWORD before[64], first[64], later[64], after[64];
    const Picture p = Yuy2(576, 0);
    BITMAPINFOHEADER out;
    ICCompressGetFormat(codec, &p.header, &out);
    const int idle = ThreadIds(before);
    ICCompressBegin(codec, &p.header, &out);
    CheckFrame("threads", codec, &p, 0, 0, 0);
    const int running = ThreadIds(first);
    for (int n = 1; n < 4; ++n) CheckFrame("threads", codec, &p, n, 0, 0);
    const int stillRunning = ThreadIds(later);
    ICCompressEnd(codec);
    if (system.dwNumberOfProcessors > 1 && running <= idle)
        Fail("threads", "no worker thread in a run", running);
    if (stillRunning != running || memcmp(first, later, sizeof(DWORD) * running) != 0)
        Fail("threads", "the workers changed between frames", stillRunning);
    if (ThreadIds(after) != idle || memcmp(before, after, sizeof(DWORD) * idle) != 0)
        Fail("threads", "workers outlive ICCompressEnd", 0);
}

/* Five BI_RGB frames into OUT_DIR/vfw.avi through avifil32's compressed stream, at the
 * default quality, and the library's frames of them into OUT_DIR/vfw_avi_expected.dv. */
static void WriteAvi(const char* directory) {
    char path[MAX_PATH];
    PAVIFILE file = NULL;
    PAVISTREAM stream = NULL, compressed = NULL;
    AVISTREAMINFOA info = {.fccType = streamtypeVIDEO, .dwScale = 1, .dwRate = 25};
    SetRect(&info.rcFrame, 0, 0, 720, 576);
    AVICOMPRESSOPTIONS options = {
        .fccType = streamtypeVIDEO, .fccHandler = kDvsd, .dwQuality = (DWORD)ICQUALITY_DEFAULT};
    snprintf(path, sizeof path, "%s\\vfw_avi_expected.dv", directory);
    FILE* frames = fopen(path, "wb");
    snprintf(path, sizeof path, "%s\\vfw.avi", directory);
    DeleteFileA(path);
    AVIFileInit();
    HRESULT hr = AVIFileOpenA(&file, path, OF_CREATE | OF_WRITE, NULL);
    if (SUCCEEDED(hr)) hr = AVIFileCreateStreamA(file, &stream, &info);
    if (SUCCEEDED(hr)) hr = AVIMakeCompressedStream(&compressed, stream, &options, NULL);
    for (int n = 0; n < 5 && SUCCEEDED(hr) && frames; ++n) {
        const Picture p = MakePicture(BI_RGB, 24, 576, DVENC_FOURCC_BGR3, 2160, 4320, n * 8);
        if (n == 0) hr = AVIStreamSetFormat(compressed, 0, (void*)&p.header, sizeof p.header);
        if (SUCCEEDED(hr))
            hr = AVIStreamWrite(compressed, n, 1, bits, (LONG)p.header.biSizeImage, AVIIF_KEYFRAME,
                                NULL, NULL);
        fwrite(expected, 1, (size_t)LibraryFrame(&p, kBest, n), frames);
    }
    if (FAILED(hr) || !frames) Fail("avi", "avifil32 did not write the file", (long)hr);
    if (frames) fclose(frames);
    if (compressed) AVIStreamRelease(compressed);
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    AVIFileExit();
}

/* Opens the codec by its FOURCC and checks one frame; prints the file it was loaded from. */
static void CheckOpened(const char* how) {
    const HIC codec = ICOpen(ICTYPE_VIDEO, kDvsd, ICMODE_COMPRESS);
    ICINFO info = {.dwSize = sizeof info};
    if (!codec || ICGetInfo(codec, &info, sizeof info) != sizeof info || info.fccHandler != kDvsd ||
        !(info.dwFlags & VIDCF_QUALITY)) {
        Fail(how, "cannot open the codec by its FOURCC", 0);
    } else {
        const Picture p = Yuy2(576, 3);
        CheckFrame(how, codec, &p, 3, ICQUALITY_DEFAULT, kBest);
    }
    char module[MAX_PATH] = "(not loaded)";
    const HMODULE loaded = GetModuleHandleA("enc_dv_vfw.dll");
    if (loaded) GetModuleFileNameA(loaded, module, sizeof module);
    printf("%s: codec from %s\n", how, module);
    if (codec) ICClose(codec);
}

int main(int argc, char** argv) {
    const char* mode = argc > 1 ? argv[1] : "";
    const int suite = !strcmp(mode, "suite"), driver = !strcmp(mode, "driver");
    const int registered = !strcmp(mode, "registered");
    if ((!suite && !driver && !registered) || argc < (suite ? 5 : driver ? 4 : 3)) {
        fprintf(stderr,
                "usage: vfw_host suite|driver CODEC_DLL ENC_DV_DLL [OUT_DIR]\n"
                "       vfw_host registered ENC_DV_DLL [absent]\n");
        return 2;
    }
    const HMODULE library = LoadLibraryA(argv[registered ? 2 : 3]);
    libraryCompress =
        (CompressFunction)(void (*)(void))GetProcAddress(library, "CompressBuffer_DV");
    libraryTimecode =
        (TimecodeFunction)(void (*)(void))GetProcAddress(library, "DVEncWriteTimecode");
    const HMODULE codecDll = suite ? LoadLibraryA(argv[2]) : NULL;
    const LPARAM codec = suite ? (LPARAM)GetProcAddress(codecDll, "DriverProc") : (LPARAM)argv[2];
    if (!libraryCompress || !libraryTimecode || (suite && !codec)) {
        printf("FAIL: cannot load the DLLs\n");
        return 1;
    }
    if (registered && argc > 3 && !strcmp(argv[3], "absent")) {
        if (ICOpen(ICTYPE_VIDEO, kDvsd, ICMODE_COMPRESS)) Fail(mode, "a removed codec opens", 0);
    } else if (registered) {
        CheckOpened(mode);
    } else {
        if (!ICInstall(ICTYPE_VIDEO, kDvsd, codec, NULL,
                       suite ? ICINSTALL_FUNCTION : ICINSTALL_DRIVER))
            Fail(mode, "ICInstall", 0);
        CheckOpened(mode);
        if (suite) {
            const HIC opened = ICOpen(ICTYPE_VIDEO, kDvsd, ICMODE_COMPRESS);
            CheckLayouts(opened);
            CheckSettings(opened);
            CheckRefusals(opened);
            CheckWorkerThreads(opened);
            ICClose(opened);
            WriteAvi(argv[4]);
        }
        ICRemove(ICTYPE_VIDEO, kDvsd, 0);
    }
    printf("vfw_host %s: %d failure(s)\n", mode, failures);
    return failures ? 1 : 0;
}
