#ifndef ENC_DV_API_COMPRESS_H
#define ENC_DV_API_COMPRESS_H

#include <cstdint>

namespace encdv {

struct EncoderHandle;

// Encodes one frame, with a handle (serialised by its lock, persistent workers) or
// without (handle null). Returns the bytes written, or 0 with output untouched.
int CompressFrame(EncoderHandle* handle, const void* source, int sourcePitch, void* output,
                  int width, int height, uint32_t flags, uint32_t fourcc);

}  // namespace encdv

#endif
