#include "media/conversion_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace dvenc {

namespace {

constexpr int kWidth = 720;

// Within 0.2%: tells 24 from 23.976 and 30 from 29.97, which both round to one system.
bool Near(double rate, double target) {
    return std::fabs(rate / target - 1.0) < 0.002;
}

bool IsRate625(double f) {
    return Near(f, 25) || Near(f, 50) || Near(f, 12.5) || Near(f, 100);
}

bool IsRate525(double f) {
    for (double base : {24.0, 30.0, 60.0, 15.0, 120.0}) {
        if (Near(f, base) || Near(f, base * 1000 / 1001)) return true;
    }
    return false;
}

bool Choose625(const SourcePicture& source, SystemChoice choice) {
    if (choice != SystemChoice::kAuto) return choice == SystemChoice::k625;
    const double f = source.frameRate.Value();
    if (f > 0) {
        if (IsRate625(f)) return true;
        if (IsRate525(f)) return false;
        // Any other rate: the system whose rate, halved or doubled, lies nearer.
        double best625 = 1e9, best525 = 1e9;
        for (double k : {0.5, 1.0, 2.0, 4.0}) {
            best625 = std::min(best625, std::fabs(std::log(f / (25 * k))));
            best525 = std::min(best525, std::fabs(std::log(f / (30000.0 / 1001 * k))));
        }
        return best625 <= best525;
    }
    const int h = source.rotation % 180 ? source.width : source.height;
    return !(h == 480 || h == 486 || h == 240);
}

// Nearest multiple of step, at least step.
int RoundTo(double value, int step) {
    return std::max(step, static_cast<int>(std::lround(value / step)) * step);
}

struct Shape {
    int width, height;
    double sampleAspect;
};

// The picture as displayed: turned, with its sample aspect. A standard-definition size
// without a sample aspect is taken as a full 4:3 frame (720 pixels wide are 4:3 in DV and
// BT.601, 704 a little narrower); anything else without one as square pixels.
Shape DisplayShape(const SourcePicture& source) {
    Shape s{source.width, source.height, source.sampleAspect.Value()};
    if (s.sampleAspect <= 0) {
        const bool sdWidth = s.width == 720 || s.width == 704;
        const bool sdHeight = s.height == 576 || s.height == 480 || s.height == 486;
        // 486 lines are DV's 480 with six more, which the library leaves out.
        const int lines = s.height == 486 ? 480 : s.height;
        s.sampleAspect = sdWidth && sdHeight ? 4.0 * lines / (3.0 * kWidth) : 1.0;
    }
    if (source.rotation % 180) {
        std::swap(s.width, s.height);
        s.sampleAspect = 1.0 / s.sampleAspect;
    }
    return s;
}

Scan ChooseScan(const SourcePicture& source, const ConversionChoices& choices) {
    const Scan scan = choices.scan != Scan::kUnknown ? choices.scan : source.scan;
    return scan == Scan::kUnknown ? Scan::kProgressive : scan;
}

FieldTreatment ChooseFields(Scan scan, double rate, bool is625) {
    if (scan == Scan::kTopFirst) return FieldTreatment::kFieldsShifted;
    if (scan == Scan::kBottomFirst) return FieldTreatment::kFields;
    if (rate > 0 && (is625 ? Near(rate, 50) : Near(rate, 60) || Near(rate, 60000.0 / 1001))) {
        return FieldTreatment::kWoven;
    }
    if (rate > 0 && !is625 && (Near(rate, 24) || Near(rate, 24000.0 / 1001))) {
        return FieldTreatment::kPulldown;
    }
    return FieldTreatment::kProgressive;
}

Matrix ChooseMatrix(const SourcePicture& source, const ConversionChoices& choices) {
    if (choices.matrix != Matrix::kUnknown) return choices.matrix;
    if (source.matrix != Matrix::kUnknown) return source.matrix;
    // Untagged: high definition is BT.709, standard definition BT.601.
    return source.width > 1024 || source.height > 576 ? Matrix::kBt709 : Matrix::kBt601;
}

Range ChooseRange(const SourcePicture& source, const ConversionChoices& choices) {
    if (choices.range != Range::kUnknown) return choices.range;
    if (source.range != Range::kUnknown) return source.range;
    return source.pixelFormat.compare(0, 4, "yuvj") == 0 ? Range::kFull : Range::kStudio;
}

// The crop of the source and the picture's place in the DV frame for the chosen fit.
// Interlaced lines move in fours, so that each field (and its 4:2:0 chroma) stays whole.
void PlaceThePicture(const Shape& shape, Fit fit, ConversionPlan* plan) {
    const int lineStep =
        plan->fields == FieldTreatment::kFields || plan->fields == FieldTreatment::kFieldsShifted
            ? 4
            : 2;
    const double target = plan->wide ? 16.0 / 9 : 4.0 / 3;
    // A 486-line picture is a 480-line one with six more lines, read as the library reads
    // it: from line 2.
    int baseY = 0;
    int baseHeight = shape.height;
    if (!plan->is625 && shape.height == 486) {
        baseY = 2;
        baseHeight = 480;
    }
    const double aspect = shape.width * shape.sampleAspect / baseHeight;
    plan->cropWidth = shape.width;
    plan->cropHeight = baseHeight;
    plan->pictureWidth = kWidth;
    plan->pictureHeight = plan->height;
    if (fit == Fit::kPad) {
        if (aspect > target) {
            plan->pictureHeight =
                std::min(plan->height, RoundTo(plan->height * target / aspect, 8));
        } else {
            plan->pictureWidth = std::min(kWidth, RoundTo(kWidth * aspect / target, 8));
        }
    } else if (fit == Fit::kCrop) {
        if (aspect > target) {
            plan->cropWidth = std::min(shape.width, RoundTo(shape.width * target / aspect, 2));
        } else {
            plan->cropHeight =
                std::min(baseHeight, RoundTo(baseHeight * aspect / target, lineStep));
        }
    }
    plan->cropX = (shape.width - plan->cropWidth) / 4 * 2;
    plan->cropY = baseY + (baseHeight - plan->cropHeight) / 2 / lineStep * lineStep;
    plan->pictureX = (kWidth - plan->pictureWidth) / 2;
    plan->pictureY = (plan->height - plan->pictureHeight) / 2;
    if (plan->pictureWidth < 16 || plan->pictureHeight < 16) {
        plan->error = "a " + std::to_string(shape.width) + "x" + std::to_string(shape.height) +
                      " picture would fill only " + std::to_string(plan->pictureWidth) + "x" +
                      std::to_string(plan->pictureHeight) +
                      " pixels of the DV frame; give --fit crop or --fit stretch";
    }
}

std::string RateText(const Rational& r) {
    return std::to_string(r.num) + "/" + std::to_string(r.den);
}

const char* MatrixName(Matrix m) {
    switch (m) {
        case Matrix::kBt709:
            return "bt709";
        case Matrix::kSmpte240m:
            return "smpte240m";
        case Matrix::kBt2020:
            return "bt2020";
        default:
            return "bt601";
    }
}

// True when the picture or its colour must be resampled: a size, a layout, a matrix or a
// range other than DV's.
bool NeedsScaling(const SourcePicture& source, const ConversionPlan& plan) {
    const bool sameSize =
        plan.cropWidth == plan.pictureWidth && plan.cropHeight == plan.pictureHeight;
    const bool sameColour = !source.rgb && plan.matrix == Matrix::kBt601 &&
                            plan.range == Range::kStudio && source.pixelFormat == plan.pixelFormat;
    return !sameSize || !sameColour;
}

std::string BuildFilters(const SourcePicture& source, const ConversionPlan& plan) {
    std::string chain;
    auto add = [&chain](const std::string& filter) {
        chain += (chain.empty() ? "" : ",") + filter;
    };
    const Rational doubled = plan.is625 ? Rational{50, 1} : Rational{60000, 1001};
    if (plan.fields == FieldTreatment::kWoven) {
        add("fps=" + RateText(doubled));
    } else if (plan.fields != FieldTreatment::kPulldown) {
        add("fps=" + RateText(plan.rate));
    }
    if (source.rotation == 90) add("transpose=clock");
    if (source.rotation == 270) add("transpose=cclock");
    if (source.rotation == 180) add("hflip,vflip");
    const int turnedWidth = source.rotation % 180 ? source.height : source.width;
    const int turnedHeight = source.rotation % 180 ? source.width : source.height;
    if (plan.cropWidth != turnedWidth || plan.cropHeight != turnedHeight) {
        add("crop=" + std::to_string(plan.cropWidth) + ":" + std::to_string(plan.cropHeight) + ":" +
            std::to_string(plan.cropX) + ":" + std::to_string(plan.cropY));
    }
    const bool fieldwise =
        plan.fields == FieldTreatment::kFields || plan.fields == FieldTreatment::kFieldsShifted;
    if (plan.scaled) {
        // Every resampling of the picture and its colour in one step, fields kept apart;
        // the library is then handed DV's own sampling and resamples nothing.
        std::string scale = "scale=" + std::to_string(plan.pictureWidth) + ":" +
                            std::to_string(plan.pictureHeight) +
                            ":interl=" + (fieldwise ? "1" : "0");
        if (!source.rgb) scale += std::string(":in_color_matrix=") + MatrixName(plan.matrix);
        scale += ":out_color_matrix=bt601";
        if (!source.rgb) scale += plan.range == Range::kFull ? ":in_range=pc" : ":in_range=tv";
        scale += ":out_range=tv:flags=bicubic+accurate_rnd";
        add(scale);
        add("format=" + plan.pixelFormat);
    }
    if (plan.pictureWidth != kWidth || plan.pictureHeight != plan.height) {
        add("pad=" + std::to_string(kWidth) + ":" + std::to_string(plan.height) + ":" +
            std::to_string(plan.pictureX) + ":" + std::to_string(plan.pictureY) + ":black");
    }
    switch (plan.fields) {
        case FieldTreatment::kWoven:
            add("interlace=scan=bff:lowpass=linear");
            break;
        case FieldTreatment::kPulldown:
            add("telecine=first_field=bottom:pattern=23,fps=" + RateText(plan.rate));
            break;
        default:
            break;
    }
    return chain;
}

}  // namespace

ConversionPlan PlanConversion(const SourcePicture& source, const ConversionChoices& choices) {
    ConversionPlan plan;
    if (source.width < 2 || source.height < 2) {
        plan.error = "a " + std::to_string(source.width) + "x" + std::to_string(source.height) +
                     " picture is too small to make a DV picture of";
        return plan;
    }
    plan.is625 = Choose625(source, choices.system);
    plan.height = plan.is625 ? 576 : 480;
    plan.rate = plan.is625 ? Rational{25, 1} : Rational{30000, 1001};
    plan.sourceRate = source.frameRate;
    plan.pixelFormat = plan.is625 && !choices.smpte314m ? "yuv420p" : "yuv411p";
    const Shape shape = DisplayShape(source);
    const double aspect = shape.width * shape.sampleAspect / shape.height;
    // Wider than halfway between 4:3 and 16:9 (14:9) is 16:9.
    plan.wide = choices.aspect == AspectChoice::kAuto ? aspect > 14.0 / 9
                                                      : choices.aspect == AspectChoice::k16x9;
    plan.fields = ChooseFields(ChooseScan(source, choices), source.frameRate.Value(), plan.is625);
    plan.matrix = ChooseMatrix(source, choices);
    plan.range = ChooseRange(source, choices);
    PlaceThePicture(shape, choices.fit, &plan);
    plan.scaled = NeedsScaling(source, plan);
    if (plan.error.empty()) plan.filters = BuildFilters(source, plan);
    return plan;
}

std::string DescribePlan(const SourcePicture& source, const ConversionPlan& plan) {
    char rate[32] = "";
    if (source.frameRate.Known()) {
        std::snprintf(rate, sizeof rate, " %.6g fps", source.frameRate.Value());
    }
    static const char* const kScan[] = {"", ", progressive", ", top field first",
                                        ", bottom field first"};
    static const char* const kMatrix[] = {"", "BT.601", "BT.709", "SMPTE 240M", "BT.2020"};
    std::string text = std::to_string(source.width) + "x" + std::to_string(source.height) + rate +
                       kScan[static_cast<int>(source.scan)];
    if (!source.rgb) text += std::string(", ") + kMatrix[static_cast<int>(plan.matrix)];
    if (!source.rgb && plan.range == Range::kFull) text += " full range";
    if (source.rotation) text += ", turned " + std::to_string(source.rotation) + " degrees";
    text +=
        std::string(" -> ") + (plan.is625 ? "625/50" : "525/60") + (plan.wide ? " 16:9" : " 4:3");
    const bool fieldwise =
        plan.fields == FieldTreatment::kFields || plan.fields == FieldTreatment::kFieldsShifted;
    if (plan.scaled) text += fieldwise ? ", scaled field by field" : ", scaled";
    if (plan.scaled && (source.rgb || plan.matrix != Matrix::kBt601)) text += " to BT.601";
    switch (plan.fields) {
        case FieldTreatment::kFieldsShifted:
            text += ", moved down a line to bottom field first";
            break;
        case FieldTreatment::kWoven:
            text += ", frame pairs woven into fields";
            break;
        case FieldTreatment::kPulldown:
            text += ", 2:3 pulldown";
            break;
        default:
            break;
    }
    if (plan.pictureWidth < kWidth || plan.pictureHeight < plan.height) {
        text += ", padded to " + std::to_string(plan.pictureWidth) + "x" +
                std::to_string(plan.pictureHeight);
    }
    if (plan.cropWidth < (source.rotation % 180 ? source.height : source.width) ||
        plan.cropHeight < (source.rotation % 180 ? source.width : source.height)) {
        text += ", cropped to " + std::to_string(plan.cropWidth) + "x" +
                std::to_string(plan.cropHeight);
    }
    return text;
}

}  // namespace dvenc
