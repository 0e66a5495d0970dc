#include "dv_blocks.h"

#include <cstdio>

namespace dvenc_test {

namespace {

constexpr size_t kBlock = 80;

int SectionType(const uint8_t* block) {
    return block[0] >> 5;
}

std::string Hex(const uint8_t* pack) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X %02X", pack[0], pack[1], pack[2], pack[3],
                  pack[4]);
    return text;
}

}  // namespace

bool SameLibraryBlocks(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.size() % kBlock != 0) return false;
    for (size_t at = 0; at < a.size(); at += kBlock) {
        const uint8_t* x = &a[at];
        const uint8_t* y = &b[at];
        const int sct = SectionType(x);
        if (sct != SectionType(y)) return false;
        if (sct == 1 || sct == 3) continue;
        for (size_t i = 0; i < kBlock; ++i) {
            const uint8_t mask = sct == 0 && (i == 5 || i == 7) ? 0x7F : 0xFF;
            if ((x[i] & mask) != (y[i] & mask)) return false;
        }
    }
    return true;
}

std::vector<std::string> PacksOf(const uint8_t* frame, size_t frameBytes, int sct, uint8_t kind) {
    std::vector<std::string> packs;
    for (size_t at = 0; at + kBlock <= frameBytes; at += kBlock) {
        const uint8_t* block = frame + at;
        if (SectionType(block) != sct) continue;
        if (sct == 1) {
            for (int k = 0; k < 6; ++k) {
                if (block[3 + 8 * k + 3] == kind) packs.push_back(Hex(block + 3 + 8 * k + 3));
            }
        } else if (sct == 2) {
            for (int k = 0; k < 15; ++k) {
                if (block[3 + 5 * k] == kind) packs.push_back(Hex(block + 3 + 5 * k));
            }
        } else if (block[3] == kind) {
            packs.push_back(Hex(block + 3));
        }
    }
    return packs;
}

}  // namespace dvenc_test
