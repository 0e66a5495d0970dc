#include "coding/rd_tables.h"

namespace encdv {

// round(32 x 4 / (w(h) w(v))^2) by scan position; the test recomputes them from DvWeight.
const int16_t DistortionWeight[2][64] = {
    {0,   133, 133, 150, 138, 150, 158, 156, 156, 158, 167, 164, 176, 164, 167, 177,
     174, 185, 185, 174, 177, 219, 184, 196, 195, 196, 184, 219, 246, 227, 207, 206,
     206, 207, 227, 246, 256, 256, 219, 218, 219, 256, 256, 289, 270, 231, 231, 270,
     289, 304, 285, 245, 285, 304, 322, 302, 302, 322, 340, 373, 340, 420, 420, 474},
    {0,   128, 133, 133, 150, 150, 150, 150, 156, 156, 167, 167, 219, 219, 174, 174,
     176, 176, 158, 158, 167, 167, 185, 185, 196, 196, 227, 227, 256, 256, 206, 206,
     196, 196, 177, 177, 219, 219, 207, 207, 218, 218, 270, 270, 285, 285, 231, 231,
     256, 256, 246, 246, 289, 289, 285, 285, 302, 302, 373, 373, 322, 322, 420, 420},
};

namespace {
// round(65536 x 2^(j / 8)) for j = 0-7.
constexpr uint64_t kEighthOctave[8] = {65536, 71468, 77936, 84990, 92682, 101070, 110218, 120194};
}  // namespace

uint64_t LambdaAt(int index) {
    // 2^(index / 8) in units of 1/65536: whole octaves by shifting, eighths from the table.
    return kEighthOctave[index & 7] << (index >> 3);
}

}  // namespace encdv
