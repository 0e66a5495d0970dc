// The DIF sequence loop: every DIF block of a thread's run of sequences, in IEC 61834-2
// transmission order (header, 2 subcode, 3 VAUX, then 9 x (audio + 15 video)).
#include "driver/dif_sequence.h"

#include <cstring>

#include "coding/segment_coder.h"
#include "common/constants.h"
#include "driver/band_shares.h"
#include "driver/best_quality_pipeline.h"
#include "driver/default_pipeline.h"
#include "driver/dif_blocks.h"
#include "driver/dif_id.h"

namespace encdv {
namespace {

constexpr int kSubcodeBlocks = 2;
constexpr int kVauxBlocks = 3;
constexpr int kAudioBlocks = 9;
constexpr int kSegmentsPerAudioBlock = 3;  // each audio block is followed by 15 video blocks
static_assert(kAudioBlocks * kSegmentsPerAudioBlock * kMacroblocksPerSegment ==
                  kVideoBlocksPerSequence,
              "nine audio blocks and 135 video blocks");

// Writes the five video DIF blocks of a coded segment: ID, STA/QNO byte, data.
void WriteVideoBlocks(const SegmentData& coded, const DifIdRecord* ids, uint8_t* blocks) {
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        uint8_t* const block = blocks + kDifBlockBytes * k;
        PackDifId(ids[k], block);
        block[kDifIdBytes] = coded.staQno[k];
        std::memcpy(block + kDifIdBytes + 1, coded.data + kVideoDataBytes * k, kVideoDataBytes);
    }
}

// Writes the ID of a non-video block and fills its payload with one byte value.
void WriteFixedBlock(uint8_t* block, int sct, int sequence, int dbn, uint8_t fill) {
    const DifIdRecord id{15, 1, sct, 7, 0, sequence, dbn};
    PackDifId(id, block);
    std::memset(block + kDifIdBytes, fill, kDifBlockBytes - kDifIdBytes);
}

// Writes the job's DIF sequences, each video segment through the pipeline.
template <class Pipeline>
void EncodeSequences(const SequenceJob& job, Pipeline& pipeline) {
    const FramePlan& plan = *job.plan;
    const uint8_t* headerBytes = HeaderBlockBytes(plan);
    const uint8_t* vauxPacks = VauxPackBytes(plan);
    const bool writeAux = !plan.videoOnly;
    const bool withHeaderBlock = plan.withHeaderBlock;
    SegmentData coded;
    // Video block IDs differ only in dseq and dbn, which the loop sets per block.
    DifIdRecord ids[kMacroblocksPerSegment];
    for (DifIdRecord& id : ids) id = DifIdRecord{0, 1, kSectionVideo, 7, 0, 0, 0};

    uint8_t* cursor = job.output;
    for (int s = job.firstSequence; s < job.endSequence; ++s) {
        const bool odd = (s & 1) != 0;
        pipeline.StartSequence();
        if (withHeaderBlock) {
            if (writeAux) {
                WriteFixedBlock(cursor, kSectionHeader, s, 0, 0xFF);
                std::memcpy(cursor + kDifIdBytes, headerBytes, kHeaderPayloadBytes);
            }
            cursor += kDifBlockBytes;
        }
        for (int i = 0; i < kSubcodeBlocks; ++i) {
            if (writeAux) WriteFixedBlock(cursor, kSectionSubcode, s, i, 0xFF);
            cursor += kDifBlockBytes;
        }
        for (int i = 0; i < kVauxBlocks; ++i) {
            if (writeAux) {
                WriteFixedBlock(cursor, kSectionVaux, s, i, 0xFF);
                if (i == VauxPackBlock(odd)) {
                    std::memcpy(cursor + VauxPackOffset(odd), vauxPacks, kVauxPackBytes);
                }
            }
            cursor += kDifBlockBytes;
        }
        // Nine times an audio block, then three segments' 15 video blocks.
        const int32_t* positions = job.shuffleTable + 2 * kVideoBlocksPerSequence * s;
        int v = 0;
        for (int a = 0; a < kAudioBlocks; ++a) {
            if (writeAux) {
                WriteFixedBlock(cursor, kSectionAudio, s, a, 0x00);
                std::memcpy(cursor + kDifIdBytes, AudioPackBytes(odd, a), kPackBytes);
            }
            cursor += kDifBlockBytes;
            for (int g = 0; g < kSegmentsPerAudioBlock; ++g, v += kMacroblocksPerSegment) {
                pipeline.EncodeSegment(positions + 2 * v,
                                       v + kMacroblocksPerSegment == kVideoBlocksPerSequence,
                                       coded);
                for (int m = 0; m < kMacroblocksPerSegment; ++m) {
                    ids[m].dbn = v + m;
                    ids[m].dseq = s;
                }
                WriteVideoBlocks(coded, ids, cursor);
                cursor += kDifBlockBytes * kMacroblocksPerSegment;
            }
        }
    }
}

// Each pipeline on a stack frame of its own (never inlined into one): a default-mode thread
// carries none of the best-quality search's scratch.
[[gnu::noinline]] void EncodeWithDefaultPipeline(const SequenceJob& job) {
    DefaultPipeline pipeline(*job.plan, job.reader, job.threadIndex);
    EncodeSequences(job, pipeline);
}

[[gnu::noinline]] void EncodeWithBestQualityPipeline(const SequenceJob& job) {
    BestQualityPipeline pipeline(*job.plan, job.reader, job.threadIndex);
    EncodeSequences(job, pipeline);
}

}  // namespace

void EncodeDifSequences(const SequenceJob& job) {
    PrepareBandShares(job.reader, *job.bands, job.threadIndex);
    switch (job.plan->pipeline) {
        case SegmentPipeline::kDefault:
            EncodeWithDefaultPipeline(job);
            break;
        case SegmentPipeline::kBestQuality:
            EncodeWithBestQualityPipeline(job);
            break;
    }
}

}  // namespace encdv
