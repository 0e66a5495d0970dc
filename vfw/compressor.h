// One open instance of the codec (from DRV_OPEN to DRV_CLOSE): its settings and, between
// ICM_COMPRESS_BEGIN and ICM_COMPRESS_END, the encoder handle whose worker threads stay
// parked from one frame to the next. Each member answers one message with its ICERR_ code.
#ifndef ENC_DV_VFW_COMPRESSOR_H
#define ENC_DV_VFW_COMPRESSOR_H

#include <windows.h>

#include <vfw.h>

#include <memory>

#include "codec_state.h"
#include "enc_dv.h"

class Compressor {
  public:
    // ICM_COMPRESS_QUERY: ICERR_OK when `input` can be encoded into `output` (null: into the
    // format of ICM_COMPRESS_GET_FORMAT); ICERR_BADFORMAT otherwise, ICERR_BADPARAM without
    // an input.
    static LRESULT Query(const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output);
    // ICM_COMPRESS_GET_FORMAT: with no output, the bytes of the output format; else writes it.
    static LRESULT GetFormat(const BITMAPINFOHEADER* input, BITMAPINFOHEADER* output);
    // ICM_COMPRESS_GET_SIZE: the bytes of one frame, 0 for an input the codec refuses.
    static LRESULT GetSize(const BITMAPINFOHEADER* input);

    LRESULT Begin(const BITMAPINFOHEADER* input, const BITMAPINFOHEADER* output);
    LRESULT Compress(const ICCOMPRESS* frame, size_t size);
    LRESULT End();

    LRESULT GetState(void* blob, size_t size) const;
    LRESULT SetState(const void* blob, size_t size);

  private:
    struct HandleDeleter {
        void operator()(DVEncoderHandle* handle) const { DVDoneEnc(handle); }
    };
    CodecState state_;
    std::unique_ptr<DVEncoderHandle, HandleDeleter> encoder_;  // from Begin to End
};

#endif
