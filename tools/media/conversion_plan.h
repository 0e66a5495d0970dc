// How a file's pictures become DV's: the system, the picture's place in the frame, the
// fields, the colour and the rate, decided from what the file says and what the command
// line overrides, and written out as an FFmpeg filter chain. Plain C++: no FFmpeg types.
#ifndef DVENC_CONVERSION_PLAN_H
#define DVENC_CONVERSION_PLAN_H

#include <string>

namespace dvenc {

struct Rational {
    int num = 0;  // 0 or a den of 0: unknown
    int den = 0;
    bool Known() const { return num > 0 && den > 0; }
    double Value() const { return Known() ? static_cast<double>(num) / den : 0.0; }
};

enum class Scan { kUnknown, kProgressive, kTopFirst, kBottomFirst };
enum class Matrix { kUnknown, kBt601, kBt709, kSmpte240m, kBt2020 };
enum class Range { kUnknown, kStudio, kFull };

// What a file says about its pictures.
struct SourcePicture {
    int width = 0;  // as decoded, before any rotation
    int height = 0;
    Rational sampleAspect;
    Rational frameRate;
    int rotation = 0;  // clockwise turn for display: 0, 90, 180 or 270
    Scan scan = Scan::kUnknown;
    Matrix matrix = Matrix::kUnknown;
    Range range = Range::kUnknown;
    bool rgb = false;         // R'G'B' samples, to which no Y'CbCr matrix applies
    std::string pixelFormat;  // FFmpeg's name of the decoded layout ("yuv420p")
};

enum class SystemChoice { kAuto, k625, k525 };
enum class AspectChoice { kAuto, k4x3, k16x9 };
enum class Fit { kPad, kCrop, kStretch };

// The command line's say; kAuto and kUnknown leave it to the file.
struct ConversionChoices {
    SystemChoice system = SystemChoice::kAuto;
    AspectChoice aspect = AspectChoice::kAuto;
    Fit fit = Fit::kPad;
    Scan scan = Scan::kUnknown;
    Matrix matrix = Matrix::kUnknown;
    Range range = Range::kUnknown;
    bool smpte314m = false;  // 4:1:1 at 625/50
};

enum class FieldTreatment {
    kProgressive,    // scaled and encoded as frames
    kFields,         // bottom field first, as DV: each field scaled on its own
    kFieldsShifted,  // top field first: each field scaled on its own, then the picture
                     // moved down one line, which makes the first field the bottom one
                     // (done as the frames are handed to the library: FFmpeg's filter
                     // for it does not take 4:2:0)
    kWoven,          // frames at twice DV's rate: each pair woven into one frame's fields,
                     // the earlier frame into the bottom field
    kPulldown,       // 23.976 or 24 frames a second: 2:3 pulldown into 525/60's fields
};

struct ConversionPlan {
    std::string error;  // why no DV picture can be made; empty when one can
    bool is625 = true;
    bool wide = false;
    int height = 576;         // of the DV picture (720 wide)
    std::string pixelFormat;  // what the library is handed: "yuv420p" or "yuv411p"
    Rational rate;            // 25 or 30000/1001
    Rational sourceRate;      // the file's, as taken
    FieldTreatment fields = FieldTreatment::kProgressive;
    Matrix matrix = Matrix::kBt601;  // the source's, as taken (never kUnknown)
    Range range = Range::kStudio;
    // The part of the (turned) source picture used, and where it lands in the DV frame.
    int cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;
    int pictureX = 0, pictureY = 0, pictureWidth = 0, pictureHeight = 0;
    bool scaled = false;  // the picture or its colour resampled (once, by FFmpeg's scaler)
    // The FFmpeg filter chain from the decoded frames to the DV picture (but the shift of
    // kFieldsShifted).
    std::string filters;
};

ConversionPlan PlanConversion(const SourcePicture& source, const ConversionChoices& choices);

// One line for the user: "1920x1080 25i top field first, BT.709 -> 625/50 16:9: ...".
std::string DescribePlan(const SourcePicture& source, const ConversionPlan& plan);

}  // namespace dvenc

#endif
