#include "support/dv_frame_layout.h"

#include <cstdio>

namespace encdv::test {

namespace {

constexpr size_t kBlock = 80;
constexpr int kSyncBlockBytes = 8;

}  // namespace

const uint8_t* FindDifBlock(const uint8_t* frame, size_t frameBytes, int sct, int sequence,
                            int dbn) {
    for (size_t at = 0; at + kBlock <= frameBytes; at += kBlock) {
        const uint8_t* b = frame + at;
        if (b[0] >> 5 == sct && b[1] >> 4 == sequence && b[2] == dbn) return b;
    }
    return nullptr;
}

std::string Hex(const uint8_t* bytes, size_t n) {
    std::string text;
    char two[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(two, sizeof two, i ? " %02X" : "%02X", bytes[i]);
        text += two;
    }
    return text;
}

std::string SubcodePack(const uint8_t* block, int k) {
    return Hex(block + 3 + kSyncBlockBytes * k + 3);
}

std::string VauxPack(const uint8_t* block, int p) {
    return Hex(block + 3 + 5 * p);
}

std::string AauxPack(const uint8_t* block) {
    return Hex(block + 3);
}

}  // namespace encdv::test
