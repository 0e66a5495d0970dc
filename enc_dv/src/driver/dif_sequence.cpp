// The DIF sequence loop: every DIF block of a thread's run of sequences, in IEC 61834-2
// transmission order (header, 2 subcode, 3 VAUX, then 9 x (audio + 15 video)).
#include "driver/dif_sequence.h"

#include <cstring>

#include "coding/quant_selection.h"
#include "coding/rd_selection.h"
#include "coding/segment_coder.h"
#include "common/constants.h"
#include "common/macroblock_pixels.h"
#include "common/macroblock_work.h"
#include "driver/dif_blocks.h"
#include "driver/dif_id.h"
#include "input/source_reader.h"
#include "transform/macroblock_transform.h"
#include "transform/macroblock_transform_fine.h"

namespace encdv {
namespace {

constexpr int kSubcodeBlocks = 2;
constexpr int kVauxBlocks = 3;
constexpr int kAudioAndVideoPositions = 144;  // 9 audio + 135 video blocks
constexpr int kPositionsPerAudioBlock = 16;   // one audio block, then 15 video blocks

// A thread's private work area for video segments, kept on its stack.
struct SegmentArea {
    SegmentWork segment;
    SegmentData coded;
    DifIdRecord ids[kMacroblocksPerSegment];
    MacroblockPixels pixels;
};

// Video block IDs differ only in dseq and dbn, which the sequence loop sets per macroblock.
void PrepareSegmentArea(SegmentArea& area) {
    for (int m = 0; m < kMacroblocksPerSegment; ++m) {
        PrepareMacroblockWork(area.segment.macroblocks[m]);
        area.ids[m] = DifIdRecord{0, 1, kSectionVideo, 7, 0, 0, 0};
    }
}

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

// Exchanges lines 2i and 2i+1 of every 8x8 block: the two fields change places.
void SwapFields(MacroblockPixels& pixels) {
    for (auto& block : pixels.blocks) {
        for (int line = 0; line < 8; line += 2) {
            uint8_t upper[8];
            std::memcpy(upper, block + 8 * line, 8);
            std::memcpy(block + 8 * line, block + 8 * (line + 1), 8);
            std::memcpy(block + 8 * (line + 1), upper, 8);
        }
    }
}

}  // namespace

void EncodeDifSequences(const SequenceJob& job) {
    const FramePlan& plan = *job.plan;
    const uint8_t* headerBytes = HeaderBlockBytes(plan);
    const uint8_t* vauxPacks = VauxPackBytes(plan);
    const bool writeAux = !plan.videoOnly;
    const bool withHeaderBlock = plan.withHeaderBlock;
    const bool swapFields = plan.swapFields;
    const RateControl rateControl = plan.rateControl;
    SourceReader* reader = job.reader;
    const auto prefetch = reader->PrefetchMacroblock;

    SegmentArea area;
    PrepareSegmentArea(area);
    // The best-quality search carries its multiplier from segment to segment, but never from
    // one DIF sequence to the next: a sequence codes alike whichever thread takes it.
    const bool bestQuality = rateControl == RateControl::kBestQuality;
    FineMagnitudes fine;
    RdSegmentWork rdWork;
    RdSearchState rdState;

    uint8_t* cursor = job.output;
    for (int s = job.firstSequence; s < job.endSequence; ++s) {
        const bool odd = (s & 1) != 0;
        ResetRdSearch(rdState);
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

        const int32_t* positions = job.shuffleTable + 2 * kVideoBlocksPerSequence * s;
        int v = 0;
        for (int p = 0; p < kAudioAndVideoPositions; ++p) {
            if (p % kPositionsPerAudioBlock == 0) {
                if (writeAux) {
                    const int dbn = p / kPositionsPerAudioBlock;
                    WriteFixedBlock(cursor, kSectionAudio, s, dbn, 0x00);
                    std::memcpy(cursor + kDifIdBytes, AudioPackBytes(odd, dbn), kPackBytes);
                }
                cursor += kDifBlockBytes;
                continue;
            }
            const int m = v % kMacroblocksPerSegment;
            const int x = positions[2 * v];
            const int y = positions[2 * v + 1];
            DifIdRecord& id = area.ids[m];
            id.dbn = v;
            id.dseq = s;
            MacroblockWork& work = area.segment.macroblocks[m];
            work.pixelX = x;
            work.pixelY = y;
            work.qno = 15;
            work.sta = 0;
            // The shuffle scatters a segment's macroblocks over the picture, beyond what the
            // hardware prefetchers foresee: ask for the next one while this one is coded.
            if (prefetch != nullptr && v + 1 < kVideoBlocksPerSequence) {
                prefetch(reader, positions[2 * v + 2], positions[2 * v + 3]);
            }
            reader->ReadMacroblock(reader, job.threadIndex, x, y, &area.pixels);
            if (swapFields) SwapFields(area.pixels);
            if (bestQuality) {
                TransformMacroblockFine(
                    work, area.pixels, fine.blocks + kBlocksPerMacroblock * m,
                    rdState.overshooting ? nullptr : fine.other + kBlocksPerMacroblock * m,
                    fine.otherSigns + kBlocksPerMacroblock * m,
                    fine.otherValid + kBlocksPerMacroblock * m);
            } else {
                TransformMacroblock(work, area.pixels);
            }
            if (m == kMacroblocksPerSegment - 1) {
                if (bestQuality) {
                    SelectQuantizationRd(area.segment.macroblocks, fine, rdWork, rdState);
                } else {
                    SelectQuantization(area.segment.macroblocks, rateControl);
                }
                // Video blocks v - 4 .. v, where the cursor stands.
                CodeSegment(area.segment, area.coded);
                WriteVideoBlocks(area.coded, area.ids, cursor);
                cursor += kDifBlockBytes * kMacroblocksPerSegment;
            }
            ++v;
        }
    }
}

}  // namespace encdv
