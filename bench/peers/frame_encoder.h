#ifndef ENC_DV_BENCH_PEERS_FRAME_ENCODER_H
#define ENC_DV_BENCH_PEERS_FRAME_ENCODER_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "clip.h"
#include "stopwatch.h"

namespace encdv {
namespace bench {

// One encoder set up for one clip. Encode writes one DV frame into out and returns the time
// spent inside the encoder's own calls (conversions and copies made for the benchmark stay
// outside), or a failed time.
class FrameEncoder {
  public:
    virtual ~FrameEncoder() = default;
    virtual EncodeTime Encode(const ClipFrame& frame, std::vector<uint8_t>& out) = 0;
};

// The compress flag of this library's best-quality mode (no effect in a library without it).
constexpr unsigned kBestQualityFlag = 0x200000;

enum class EncDvEntry { kHandle, kNoHandle };
// The picture as packed YUY2, as BGR x, or as the planes in the system's own sampling (I420
// at 625/50 4:2:0, Y41B in the 4:1:1 systems).
enum class EncDvSource { kYuy2, kBgr4, kPlanar };

// This library through its exported functions; flags as for a compress call.
std::unique_ptr<FrameEncoder> MakeEncDvEncoder(const Clip& clip, EncDvEntry entry,
                                               EncDvSource source, unsigned flags);

enum class LibavcodecDct { kDefault, kInterlaced };

// libavcodec's DV encoder on the clip's planar pictures (4:2:0 or 4:1:1) with the given
// number of slice threads, at its defaults or with AV_CODEC_FLAG_INTERLACED_DCT (its choice
// of the 2-4-8 transform block by block); null, with a reason, when it refuses the set-up.
std::unique_ptr<FrameEncoder> MakeLibavcodecEncoder(const Clip& clip, int threads,
                                                    LibavcodecDct dct, std::string& reason);

// libdv's encoder on the clip's packed 4:2:2 pictures; null, with a reason, for a clip it
// cannot encode (it has no 625/50 4:1:1).
std::unique_ptr<FrameEncoder> MakeLibdvEncoder(const Clip& clip, std::string& reason);

}  // namespace bench
}  // namespace encdv

#endif
