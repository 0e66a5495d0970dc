#include "sources/fourcc.h"

#include "enc_dv.h"

namespace dvenc {

namespace {

// Source layouts accepted by the encoder, with their bytes per pixel (4:2:2 pairs count 2).
constexpr FourccInfo kFourccs[] = {
    {"YUY2", DVENC_FOURCC_YUY2, 2, 0, false}, {"YUYV", DVENC_FOURCC_YUYV, 2, 0, false},
    {"YuYv", DVENC_FOURCC_YuYv, 2, 0, false}, {"UYVY", DVENC_FOURCC_UYVY, 2, 0, false},
    {"UyVy", DVENC_FOURCC_UyVy, 2, 0, false}, {"BGR3", DVENC_FOURCC_BGR3, 3, 0, false},
    {"BGR4", DVENC_FOURCC_BGR4, 4, 0, false}, {"BGRA", DVENC_FOURCC_BGRA, 4, 0, false},
    {"VUYA", DVENC_FOURCC_VUYA, 4, 0, false}, {"R24C", DVENC_FOURCC_R24C, 3, 0, false},
    {"R32C", DVENC_FOURCC_R32C, 4, 0, false}, {"I420", DVENC_FOURCC_I420, 1, 2, true},
    {"IYUV", DVENC_FOURCC_IYUV, 1, 2, true},  {"YV12", DVENC_FOURCC_YV12, 1, 2, true},
    {"Y41B", DVENC_FOURCC_Y41B, 1, 4, false}, {"Y42B", DVENC_FOURCC_Y42B, 1, 2, false},
    {"YV16", DVENC_FOURCC_YV16, 1, 2, false},
};

}  // namespace

const FourccInfo* FindFourcc(const std::string& name) {
    for (const FourccInfo& info : kFourccs) {
        if (name == info.name) return &info;
    }
    return nullptr;
}

size_t RawFrameBytes(const FourccInfo& fourcc, int pitch, int lines) {
    const size_t luma = static_cast<size_t>(pitch) * lines;
    if (fourcc.chromaDivisor == 0) return luma;
    const size_t chromaLines = fourcc.halvedLines ? (lines + 1) / 2 : lines;
    return luma + 2 * static_cast<size_t>(pitch / fourcc.chromaDivisor) * chromaLines;
}

std::string FourccNames() {
    std::string names;
    for (const FourccInfo& info : kFourccs) {
        if (!names.empty()) names += ", ";
        names += info.name;
    }
    return names;
}

}  // namespace dvenc
