#include "compressor.h"

#include "bitmap_format.h"

namespace {

// Both formats of a call, checked; the input's place in `input` when it is one.
LRESULT CheckFormats(const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output,
                     InputFormat* format) {
    if (!input) return ICERR_BADPARAM;
    if (!ReadInputFormat(*input, format)) return ICERR_BADFORMAT;
    if (output && !IsOutputFormat(*output, *format)) return ICERR_BADFORMAT;
    return ICERR_OK;
}

// The time code of frame `index` of a stream that starts at 00:00:00:00, drop-frame at
// 525/60 as a 29.97 Hz stream needs; a frame without an index keeps the empty packs.
void WriteTimecode(unsigned char* frame, int frameBytes, LONG index) {
    if (index < 0) return;
    const DVEncTimecode first = {0, 0, 0, 0, frameBytes == DVENC_FRAME_BYTES_525};
    DVEncWriteTimecode(frame, frameBytes, &first, index);
}

}  // namespace

LRESULT Compressor::Query(const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output) {
    InputFormat format;
    return CheckFormats(input, output, &format);
}

LRESULT Compressor::GetFormat(const BITMAPINFOHEADER* input, BITMAPINFOHEADER* output) {
    InputFormat format;
    const LRESULT result = CheckFormats(input, nullptr, &format);
    if (result != ICERR_OK) return result;
    if (!output) return sizeof(BITMAPINFOHEADER);
    WriteOutputFormat(format, output);
    return ICERR_OK;
}

LRESULT Compressor::GetSize(const BITMAPINFOHEADER* input) {
    InputFormat format;
    return CheckFormats(input, nullptr, &format) == ICERR_OK ? format.frameBytes : 0;
}

LRESULT Compressor::Begin(const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output) {
    InputFormat format;
    if (!output) return ICERR_BADPARAM;
    const LRESULT result = CheckFormats(input, output, &format);
    if (result != ICERR_OK) return result;
    if (!encoder_) encoder_.reset(DVNewEnc());
    return encoder_ ? ICERR_OK : ICERR_MEMORY;
}

LRESULT Compressor::Compress(const ICCOMPRESS* frame, size_t size) {
    if (!frame || size < sizeof(ICCOMPRESS) || !frame->lpInput || !frame->lpOutput ||
        !frame->lpbiOutput)
        return ICERR_BADPARAM;
    InputFormat format;
    const LRESULT result = CheckFormats(frame->lpbiInput, frame->lpbiOutput, &format);
    if (result != ICERR_OK) return result;
    // The host says how much room the output has only through biSizeImage (0: as much as
    // ICM_COMPRESS_GET_SIZE asked for).
    BITMAPINFOHEADER* output = frame->lpbiOutput;
    if (output->biSizeImage != 0 && output->biSizeImage < static_cast<DWORD>(format.frameBytes))
        return ICERR_BADSIZE;

    const unsigned flags = FrameFlags(state_, frame->dwQuality);
    const auto* top = static_cast<const unsigned char*>(frame->lpInput) + format.topLineOffset;
    auto* dv = static_cast<unsigned char*>(frame->lpOutput);
    // Without ICM_COMPRESS_BEGIN the frame gets worker threads of its own.
    const int bytes = encoder_ ? DVCompressBuffer(encoder_.get(), top, format.pitch, dv, 0, 720,
                                                  format.height, 0, flags, format.fourcc)
                               : CompressBuffer_DV(top, format.pitch, dv, 0, 720, format.height, 0,
                                                   flags, format.fourcc);
    if (bytes != format.frameBytes) return ICERR_ERROR;  // no SSE2, or memory short
    WriteTimecode(dv, bytes, frame->lFrameNum);

    output->biSizeImage = static_cast<DWORD>(bytes);
    if (frame->lpckid) *frame->lpckid = cktypeDIBcompressed;
    if (frame->lpdwFlags) *frame->lpdwFlags = AVIIF_KEYFRAME;  // DV frames stand alone
    return ICERR_OK;
}

LRESULT Compressor::End() {
    encoder_.reset();
    return ICERR_OK;
}

LRESULT Compressor::GetState(void* blob, size_t size) const {
    if (!blob) return kStateBytes;
    if (size < kStateBytes) return ICERR_BADSIZE;
    WriteState(state_, static_cast<unsigned char*>(blob));
    return ICERR_OK;
}

LRESULT Compressor::SetState(const void* blob, size_t size) {
    if (!blob) {
        state_ = CodecState{};
        return 0;
    }
    return ReadState(static_cast<const unsigned char*>(blob), size, &state_) ? kStateBytes : 0;
}
