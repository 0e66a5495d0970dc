#include "media/conversion_plan.h"

#include <gtest/gtest.h>

#include <string>

namespace dvenc {
namespace {

SourcePicture Picture(int width, int height, Rational rate, Scan scan = Scan::kProgressive) {
    SourcePicture s;
    s.width = width;
    s.height = height;
    s.sampleAspect = {1, 1};
    s.frameRate = rate;
    s.scan = scan;
    s.pixelFormat = "yuv420p";
    return s;
}

TEST(ConversionPlan, SystemAndFieldsFollowTheRateAndScanUnlessOverridden) {
    const struct {
        Rational rate;
        Scan scan;
        SystemChoice system;
        Scan scanChoice;
        bool is625;
        FieldTreatment fields;
    } cases[] = {
        {{25, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         true,
         FieldTreatment::kProgressive},
        {{25, 1},
         Scan::kTopFirst,
         SystemChoice::kAuto,
         Scan::kUnknown,
         true,
         FieldTreatment::kFieldsShifted},
        {{25, 1},
         Scan::kBottomFirst,
         SystemChoice::kAuto,
         Scan::kUnknown,
         true,
         FieldTreatment::kFields},
        {{50, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         true,
         FieldTreatment::kWoven},
        {{60000, 1001},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kWoven},
        {{60, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kWoven},
        {{24000, 1001},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kPulldown},
        {{24, 1},
         Scan::kUnknown,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kPulldown},
        {{30000, 1001},
         Scan::kTopFirst,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kFieldsShifted},
        {{30, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kProgressive},
        {{24, 1},
         Scan::kProgressive,
         SystemChoice::k625,
         Scan::kUnknown,
         true,
         FieldTreatment::kProgressive},
        {{25, 1},
         Scan::kProgressive,
         SystemChoice::k525,
         Scan::kUnknown,
         false,
         FieldTreatment::kProgressive},
        {{50, 1},
         Scan::kProgressive,
         SystemChoice::k525,
         Scan::kUnknown,
         false,
         FieldTreatment::kProgressive},
        {{25, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kTopFirst,
         true,
         FieldTreatment::kFieldsShifted},
        {{25, 1},
         Scan::kTopFirst,
         SystemChoice::kAuto,
         Scan::kProgressive,
         true,
         FieldTreatment::kProgressive},
        {{15, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         false,
         FieldTreatment::kProgressive},
        {{20, 1},
         Scan::kProgressive,
         SystemChoice::kAuto,
         Scan::kUnknown,
         true,
         FieldTreatment::kProgressive},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate.num) + "/" + std::to_string(c.rate.den) + " scan " +
                     std::to_string(static_cast<int>(c.scan)));
        ConversionChoices choices;
        choices.system = c.system;
        choices.scan = c.scanChoice;
        const ConversionPlan plan = PlanConversion(Picture(1280, 720, c.rate, c.scan), choices);
        EXPECT_EQ(plan.is625, c.is625);
        EXPECT_EQ(plan.height, c.is625 ? 576 : 480);
        EXPECT_EQ(plan.pixelFormat, c.is625 ? "yuv420p" : "yuv411p");
        EXPECT_EQ(plan.fields, c.fields);
    }
    // Without a rate, the picture height names the system.
    EXPECT_FALSE(PlanConversion(Picture(720, 480, {}), {}).is625);
    EXPECT_TRUE(PlanConversion(Picture(720, 576, {}), {}).is625);
    EXPECT_TRUE(PlanConversion(Picture(1280, 720, {}), {}).is625);
}

TEST(ConversionPlan, PictureKeepsItsShapeByPaddingOrCroppingAndFillsWhenStretched) {
    const struct {
        const char* what;
        int width, height;
        Rational sampleAspect;
        int rotation;
        Fit fit;
        AspectChoice aspect;
        bool wide;
        int cropWidth, cropHeight, pictureWidth, pictureHeight;
    } cases[] = {
        {"square 16:9",
         1920,
         1080,
         {1, 1},
         0,
         Fit::kPad,
         AspectChoice::kAuto,
         true,
         1920,
         1080,
         720,
         576},
        {"anamorphic 16:9",
         1440,
         1080,
         {4, 3},
         0,
         Fit::kPad,
         AspectChoice::kAuto,
         true,
         1440,
         1080,
         720,
         576},
        {"square 4:3",
         640,
         480,
         {1, 1},
         0,
         Fit::kPad,
         AspectChoice::kAuto,
         false,
         640,
         480,
         720,
         576},
        {"SD without aspect",
         720,
         576,
         {},
         0,
         Fit::kPad,
         AspectChoice::kAuto,
         false,
         720,
         576,
         720,
         576},
        {"704 wide", 704, 576, {}, 0, Fit::kPad, AspectChoice::kAuto, false, 704, 576, 704, 576},
        {"scope padded",
         1920,
         800,
         {1, 1},
         0,
         Fit::kPad,
         AspectChoice::kAuto,
         true,
         1920,
         800,
         720,
         424},
        {"scope cropped",
         1920,
         800,
         {1, 1},
         0,
         Fit::kCrop,
         AspectChoice::kAuto,
         true,
         1422,
         800,
         720,
         576},
        {"scope stretched",
         1920,
         800,
         {1, 1},
         0,
         Fit::kStretch,
         AspectChoice::kAuto,
         true,
         1920,
         800,
         720,
         576},
        {"16:9 in 4:3",
         1280,
         720,
         {1, 1},
         0,
         Fit::kPad,
         AspectChoice::k4x3,
         false,
         1280,
         720,
         720,
         432},
        {"16:9 cut to 4:3",
         1280,
         720,
         {1, 1},
         0,
         Fit::kCrop,
         AspectChoice::k4x3,
         false,
         960,
         720,
         720,
         576},
        {"4:3 in 16:9",
         640,
         480,
         {1, 1},
         0,
         Fit::kPad,
         AspectChoice::k16x9,
         true,
         640,
         480,
         544,
         576},
        {"phone held upright",
         1920,
         1080,
         {1, 1},
         90,
         Fit::kPad,
         AspectChoice::kAuto,
         false,
         1080,
         1920,
         304,
         576},
        {"upside down",
         1920,
         1080,
         {1, 1},
         180,
         Fit::kPad,
         AspectChoice::kAuto,
         true,
         1920,
         1080,
         720,
         576},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SourcePicture source = Picture(c.width, c.height, {25, 1});
        source.sampleAspect = c.sampleAspect;
        source.rotation = c.rotation;
        ConversionChoices choices;
        choices.fit = c.fit;
        choices.aspect = c.aspect;
        const ConversionPlan plan = PlanConversion(source, choices);
        ASSERT_EQ(plan.error, "");
        EXPECT_EQ(plan.wide, c.wide);
        EXPECT_EQ(plan.cropWidth, c.cropWidth);
        EXPECT_EQ(plan.cropHeight, c.cropHeight);
        EXPECT_EQ(plan.pictureWidth, c.pictureWidth);
        EXPECT_EQ(plan.pictureHeight, c.pictureHeight);
        // Centred, on whole chroma samples and line pairs.
        EXPECT_EQ(plan.pictureX, (720 - c.pictureWidth) / 2);
        EXPECT_EQ(plan.pictureY, (576 - c.pictureHeight) / 2);
        EXPECT_EQ(plan.pictureX % 4, 0);
        EXPECT_EQ(plan.pictureY % 4, 0);
        EXPECT_EQ(plan.cropX % 2, 0);
    }
}

TEST(ConversionPlan, InterlacedCropsKeepWholeFieldsAnd486LinesLoseTheLibrarysSix) {
    SourcePicture interlaced = Picture(1440, 1080, {25, 1}, Scan::kTopFirst);
    ConversionChoices crop;
    crop.fit = Fit::kCrop;
    crop.aspect = AspectChoice::k16x9;
    ConversionPlan plan = PlanConversion(interlaced, crop);  // 4:3 cut to 16:9
    EXPECT_EQ(plan.cropHeight, 812);
    EXPECT_EQ(plan.cropY % 4, 0);
    EXPECT_NE(plan.filters.find("interl=1"), std::string::npos);

    SourcePicture d1 = Picture(720, 486, {30000, 1001}, Scan::kBottomFirst);
    d1.sampleAspect = {};
    d1.pixelFormat = "yuv411p";
    plan = PlanConversion(d1, {});
    EXPECT_FALSE(plan.is625);
    EXPECT_EQ(plan.cropY, 2);
    EXPECT_EQ(plan.cropHeight, 480);
    EXPECT_FALSE(plan.scaled);
}

TEST(ConversionPlan, ColourIsConvertedOnceToStudioBt601AndDvSamplingPassesUntouched) {
    const struct {
        const char* what;
        int width, height;
        Matrix matrix;
        Range range;
        const char* pixelFormat;
        Matrix matrixChoice;
        Matrix taken;
        Range takenRange;
        bool scaled;
    } cases[] = {
        {"untagged HD", 1920, 1080, Matrix::kUnknown, Range::kUnknown, "yuv420p", Matrix::kUnknown,
         Matrix::kBt709, Range::kStudio, true},
        {"untagged SD, DV's own", 720, 576, Matrix::kUnknown, Range::kUnknown, "yuv420p",
         Matrix::kUnknown, Matrix::kBt601, Range::kStudio, false},
        {"SD tagged BT.709", 720, 576, Matrix::kBt709, Range::kStudio, "yuv420p", Matrix::kUnknown,
         Matrix::kBt709, Range::kStudio, true},
        {"full range", 720, 576, Matrix::kBt601, Range::kFull, "yuv420p", Matrix::kUnknown,
         Matrix::kBt601, Range::kFull, true},
        {"JPEG layout", 720, 576, Matrix::kUnknown, Range::kUnknown, "yuvj420p", Matrix::kUnknown,
         Matrix::kBt601, Range::kFull, true},
        {"4:2:2", 720, 576, Matrix::kBt601, Range::kStudio, "yuv422p", Matrix::kUnknown,
         Matrix::kBt601, Range::kStudio, true},
        {"override", 1920, 1080, Matrix::kBt709, Range::kStudio, "yuv420p", Matrix::kBt601,
         Matrix::kBt601, Range::kStudio, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SourcePicture source = Picture(c.width, c.height, {25, 1}, Scan::kBottomFirst);
        source.sampleAspect = {};
        source.matrix = c.matrix;
        source.range = c.range;
        source.pixelFormat = c.pixelFormat;
        ConversionChoices choices;
        choices.matrix = c.matrixChoice;
        const ConversionPlan plan = PlanConversion(source, choices);
        EXPECT_EQ(plan.matrix, c.taken);
        EXPECT_EQ(plan.range, c.takenRange);
        EXPECT_EQ(plan.scaled, c.scaled);
        // One scaler, which does the whole conversion field by field; none where nothing
        // is to be done, so that DV's own chroma passes unchanged.
        const size_t scale = plan.filters.find("scale=");
        EXPECT_EQ(scale != std::string::npos, c.scaled) << plan.filters;
        if (scale != std::string::npos) {
            EXPECT_EQ(plan.filters.find("scale=", scale + 1), std::string::npos);
            EXPECT_NE(plan.filters.find(":interl=1:"), std::string::npos);
            EXPECT_NE(plan.filters.find("out_color_matrix=bt601"), std::string::npos);
            EXPECT_NE(plan.filters.find("out_range=tv"), std::string::npos);
        }
    }
}

TEST(ConversionPlan, RefusesPicturesNoFitCanMakeAPictureOf) {
    EXPECT_NE(PlanConversion(Picture(1, 1, {25, 1}), {}).error, "");
    const ConversionPlan sliver = PlanConversion(Picture(4000, 10, {25, 1}), {});
    EXPECT_NE(sliver.error.find("--fit crop or --fit stretch"), std::string::npos) << sliver.error;
    ConversionChoices stretch;
    stretch.fit = Fit::kStretch;
    EXPECT_EQ(PlanConversion(Picture(4000, 10, {25, 1}), stretch).error, "");
}

}  // namespace
}  // namespace dvenc
