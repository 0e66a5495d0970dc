#include "fourcc.h"

#include "enc_dv.h"

namespace dvenc {

namespace {

// Source layouts accepted by the encoder, with their bytes per pixel (4:2:2 pairs count 2).
constexpr FourccInfo kFourccs[] = {
    {"YUY2", DVENC_FOURCC_YUY2, 2}, {"YUYV", DVENC_FOURCC_YUYV, 2}, {"YuYv", DVENC_FOURCC_YuYv, 2},
    {"UYVY", DVENC_FOURCC_UYVY, 2}, {"UyVy", DVENC_FOURCC_UyVy, 2}, {"BGR3", DVENC_FOURCC_BGR3, 3},
    {"BGR4", DVENC_FOURCC_BGR4, 4}, {"BGRA", DVENC_FOURCC_BGRA, 4}, {"VUYA", DVENC_FOURCC_VUYA, 4},
    {"R24C", DVENC_FOURCC_R24C, 3}, {"R32C", DVENC_FOURCC_R32C, 4},
};

}  // namespace

const FourccInfo* FindFourcc(const std::string& name) {
    for (const FourccInfo& info : kFourccs) {
        if (name == info.name) return &info;
    }
    return nullptr;
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
