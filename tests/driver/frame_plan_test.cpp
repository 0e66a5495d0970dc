// The frame plan that the driver receives: the video system from the picture size and the
// header form, and each flag bit of the public header in its own field.
#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "api/plan_frame.h"
#include "enc_dv.h"

namespace encdv {
namespace {

auto Fields(const FramePlan& p) {
    return std::make_tuple(p.mode, p.sequenceCount, p.readerVariant, p.width, p.height, p.pitch,
                           p.swapFields, p.headerForm, p.wide, p.withHeaderBlock, p.videoOnly,
                           p.pipeline, p.rateControl, p.singleThread);
}

FramePlan Plan(int width, int height, uint32_t flags, uint32_t fourcc = DVENC_FOURCC_YUY2) {
    FramePlan plan{};
    EXPECT_TRUE(PlanFrame(width, height, 1440, flags, fourcc, &plan));
    return plan;
}

TEST(FramePlan, PictureSizeAndHeaderFormChooseTheVideoSystem) {
    const struct {
        int width, height;
        uint32_t flags;
        VideoMode mode;
        int sequences;
    } cases[] = {
        {720, 480, 0, MODE_525_411, 10},
        {720, 486, 0, MODE_525_411, 10},
        {720, 486, DVENC_FLAG_SMPTE314M, MODE_525_411, 10},
        {720, 576, 0, MODE_625_420, 12},
        {720, 576, DVENC_FLAG_SMPTE314M, MODE_625_411, 12},
        // Any other size is planned as 625/50; the reader refuses what it cannot read.
        {736, 480, 0, MODE_625_420, 12},
        {720, 500, DVENC_FLAG_SMPTE314M, MODE_625_411, 12},
    };
    for (const auto& c : cases) {
        const FramePlan plan = Plan(c.width, c.height, c.flags);
        EXPECT_EQ(plan.mode, c.mode) << c.width << "x" << c.height << " flags " << c.flags;
        EXPECT_EQ(plan.sequenceCount, c.sequences) << c.width << "x" << c.height;
        EXPECT_EQ(FrameBytes(plan), c.sequences * 150 * 80);
    }
}

TEST(FramePlan, EachFlagBitSetsItsOwnFieldAndNoOther) {
    const struct {
        const char* name;
        uint32_t flags;
        uint32_t fourcc;
        std::function<void(FramePlan&)> change;
    } cases[] = {
        {"swap fields", DVENC_FLAG_SWAP_FIELDS, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.swapFields = true; }},
        {"one-pass", DVENC_FLAG_MB_QUANT, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.rateControl = RateControl::kOnePass; }},
        {"best quality", DVENC_FLAG_BEST_QUALITY, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.pipeline = SegmentPipeline::kBestQuality; }},
        {"best quality with one-pass", DVENC_FLAG_BEST_QUALITY | DVENC_FLAG_MB_QUANT,
         DVENC_FOURCC_YUY2, [](FramePlan& p) {
             p.pipeline = SegmentPipeline::kBestQuality;
             p.rateControl = RateControl::kOnePass;
         }},
        {"wide", DVENC_FLAG_WIDE, DVENC_FOURCC_YUY2, [](FramePlan& p) { p.wide = true; }},
        {"no header block", DVENC_FLAG_NO_HEADER_BLOCK, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.withHeaderBlock = false; }},
        {"video only", DVENC_FLAG_VIDEO_ONLY, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.videoOnly = true; }},
        {"single thread", DVENC_FLAG_SINGLE_THREAD, DVENC_FOURCC_YUY2,
         [](FramePlan& p) { p.singleThread = true; }},
        {"alpha on BGRA", DVENC_FLAG_ALPHA_WEIGHT, DVENC_FOURCC_BGRA,
         [](FramePlan& p) { p.readerVariant = kVariantBGRAAlpha; }},
        {"alpha on YUY2", DVENC_FLAG_ALPHA_WEIGHT, DVENC_FOURCC_YUY2, [](FramePlan&) {}},
        {"unknown bits", 0x40000000u | 0x40u, DVENC_FOURCC_YUY2, [](FramePlan&) {}},
    };
    for (const auto& c : cases) {
        for (const int height : {480, 576}) {
            FramePlan expected = Plan(720, height, 0, c.fourcc);
            c.change(expected);
            EXPECT_EQ(Fields(Plan(720, height, c.flags, c.fourcc)), Fields(expected))
                << c.name << ", " << height << " lines";
        }
    }
    const FramePlan smpte = Plan(720, 480, DVENC_FLAG_SMPTE314M);
    EXPECT_EQ(smpte.headerForm, HeaderForm::kSmpte314M);
    EXPECT_EQ(Plan(720, 480, 0).headerForm, HeaderForm::kIec61834);
    EXPECT_EQ(SequenceBytes(Plan(720, 576, DVENC_FLAG_NO_HEADER_BLOCK)), 149 * 80);
}

TEST(FramePlan, UnknownFourccLeavesThePlanUntouched) {
    FramePlan plan{};
    plan.sequenceCount = 77;
    for (const uint32_t fourcc : {0u, 0x32595579u /* "yUY2" */, 0x30323469u /* "i420" */}) {
        EXPECT_FALSE(PlanFrame(720, 576, 1440, 0, fourcc, &plan)) << std::hex << fourcc;
        EXPECT_EQ(plan.sequenceCount, 77);
    }
}

}  // namespace
}  // namespace encdv
