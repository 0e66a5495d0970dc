#include "support/dv_frame_layout.h"

#include <cstdio>

namespace encdv::test {

namespace {

constexpr size_t kBlock = 80;
constexpr int kSyncBlocks = 6;
constexpr int kSyncBlockBytes = 8;
constexpr int kVauxPacks = 15;

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

std::vector<std::string> PacksOf(const uint8_t* frame, size_t frameBytes, int sct, uint8_t kind) {
    std::vector<std::string> packs;
    for (size_t at = 0; at + kBlock <= frameBytes; at += kBlock) {
        const uint8_t* block = frame + at;
        if (block[0] >> 5 != sct) continue;
        if (sct == kSubcodeSection) {
            for (int k = 0; k < kSyncBlocks; ++k) {
                if (block[3 + kSyncBlockBytes * k + 3] == kind)
                    packs.push_back(SubcodePack(block, k));
            }
        } else if (sct == kVauxSection) {
            for (int p = 0; p < kVauxPacks; ++p) {
                if (block[3 + 5 * p] == kind) packs.push_back(VauxPack(block, p));
            }
        } else if (block[3] == kind) {
            packs.push_back(AauxPack(block));
        }
    }
    return packs;
}

}  // namespace encdv::test
