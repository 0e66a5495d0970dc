// The six exported entry points.
#include "enc_dv.h"

#include "api/compress.h"
#include "api/encoder_handle.h"
#include "api/initialization.h"
#include "api/query_info.h"

namespace {

encdv::EncoderHandle* FromPublic(DVEncoderHandle* handle) {
    return reinterpret_cast<encdv::EncoderHandle*>(handle);
}

}  // namespace

extern "C" {

void InitDVEnc(void) {
    encdv::InitializeLibrary();
}

DVEncoderHandle* DVNewEnc(void) {
    return reinterpret_cast<DVEncoderHandle*>(encdv::CreateEncoderHandle());
}

void DVDoneEnc(DVEncoderHandle* handle) {
    encdv::DestroyEncoderHandle(FromPublic(handle));
}

int DVCompressBuffer(DVEncoderHandle* handle, const void* source, int sourcePitch, void* output,
                     int /*ignored1*/, int width, int height, int /*ignored2*/, unsigned flags,
                     unsigned fourcc) {
    // Without a handle there is no lock to take; refuse rather than run unserialised.
    if (!handle) return 0;
    return encdv::CompressFrame(FromPublic(handle), source, sourcePitch, output, width, height,
                                flags, fourcc);
}

int CompressBuffer_DV(const void* source, int sourcePitch, void* output, int /*ignored1*/,
                      int width, int height, int /*ignored2*/, unsigned flags, unsigned fourcc) {
    return encdv::CompressFrame(nullptr, source, sourcePitch, output, width, height, flags, fourcc);
}

DVEncQueryInfoFunction DVEncGetAPIExt(int id) {
    return id == DVENC_API_QUERY_INFO ? encdv::QueryInfo : nullptr;
}

}  // extern "C"
