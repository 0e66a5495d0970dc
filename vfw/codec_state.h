// The codec's settings and the state blob that hosts keep for it (ICM_GETSTATE and
// ICM_SETSTATE), and the compress flags they give a frame.
#ifndef ENC_DV_VFW_CODEC_STATE_H
#define ENC_DV_VFW_CODEC_STATE_H

#include <cstddef>

enum class QualityMode : unsigned {
    kFromHostQuality = 0,  // the best-quality mode at a host quality of 50 or more
    kStandard = 1,         // the library's fixed estimate, always
    kBest = 2,             // the best-quality mode, always
};

struct CodecState {
    QualityMode quality = QualityMode::kFromHostQuality;
    bool wide = false;       // 16:9
    bool smpte314m = false;  // SMPTE 314M header; 4:1:1 at 625/50
};

// The blob, 16 bytes, little-endian: "EDVS", the version (1), the quality mode (0, 1, 2),
// the flags (bit 0 16:9, bit 1 SMPTE 314M, no other bit set).
constexpr size_t kStateBytes = 16;

void WriteState(const CodecState& state, unsigned char* blob);

// Reads a blob of `size` bytes. False, state untouched, unless it is a whole version 1 blob
// with known values (a blob of another codec or version included).
bool ReadState(const unsigned char* blob, size_t size, CodecState* state);

// The quality the codec asks for when the host leaves it to the codec: the highest.
constexpr unsigned long kDefaultHostQuality = 10000;

// The library's flags for a frame the host asks for at `hostQuality` (0 to 10000, or
// 0xFFFFFFFF for the default).
unsigned FrameFlags(const CodecState& state, unsigned long hostQuality);

#endif
