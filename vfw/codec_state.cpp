#include "codec_state.h"

#include "enc_dv.h"

namespace {

constexpr unsigned char kMagic[4] = {'E', 'D', 'V', 'S'};
constexpr unsigned kVersion = 1;
constexpr unsigned kWideBit = 1;
constexpr unsigned kSmpte314mBit = 2;
constexpr unsigned long kAskedForDefault = 0xFFFFFFFFul;  // ICQUALITY_DEFAULT
constexpr unsigned long kBestFromQuality = 5000;

void PutWord(unsigned value, unsigned char* bytes) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

unsigned GetWord(const unsigned char* bytes) {
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<unsigned>(bytes[i]) << (8 * i);
    return value;
}

}  // namespace

void WriteState(const CodecState& state, unsigned char* blob) {
    for (int i = 0; i < 4; ++i) blob[i] = kMagic[i];
    PutWord(kVersion, blob + 4);
    PutWord(static_cast<unsigned>(state.quality), blob + 8);
    PutWord((state.wide ? kWideBit : 0) | (state.smpte314m ? kSmpte314mBit : 0), blob + 12);
}

bool ReadState(const unsigned char* blob, size_t size, CodecState* state) {
    if (!blob || size < kStateBytes) return false;
    for (int i = 0; i < 4; ++i)
        if (blob[i] != kMagic[i]) return false;
    const unsigned quality = GetWord(blob + 8);
    const unsigned flags = GetWord(blob + 12);
    if (GetWord(blob + 4) != kVersion || quality > static_cast<unsigned>(QualityMode::kBest) ||
        (flags & ~(kWideBit | kSmpte314mBit)) != 0)
        return false;
    state->quality = static_cast<QualityMode>(quality);
    state->wide = (flags & kWideBit) != 0;
    state->smpte314m = (flags & kSmpte314mBit) != 0;
    return true;
}

unsigned FrameFlags(const CodecState& state, unsigned long hostQuality) {
    if (hostQuality == kAskedForDefault) hostQuality = kDefaultHostQuality;
    const bool best =
        state.quality == QualityMode::kBest ||
        (state.quality == QualityMode::kFromHostQuality && hostQuality >= kBestFromQuality);
    unsigned flags = 0;
    if (best) flags |= DVENC_FLAG_BEST_QUALITY;
    if (state.wide) flags |= DVENC_FLAG_WIDE;
    if (state.smpte314m) flags |= DVENC_FLAG_SMPTE314M;
    return flags;
}
