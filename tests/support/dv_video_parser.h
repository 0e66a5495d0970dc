#ifndef ENC_DV_TESTS_SUPPORT_DV_VIDEO_PARSER_H
#define ENC_DV_TESTS_SUPPORT_DV_VIDEO_PARSER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace encdv {
namespace test {

// One block as read back from a video segment.
struct ParsedBlock {
    int dc = 0;             // -256 to 255
    int dctMode = 0;        // 0 = 8-8, 1 = 2-4-8
    int classNumber = 0;    // 0-3
    int coefficients[64];   // signed AC values in scan order; [0] is 0
    bool complete = false;  // its end-of-block code was found
};

struct ParsedSegment {
    int sta[5];
    int qno[5];
    ParsedBlock blocks[5][6];  // macroblock, block
    int incompleteBlocks = 0;  // blocks whose codes were cut off
    int unusedBits = 0;        // free bits no block claimed
    bool unusedBitsZero = true;
};

// Reads five consecutive video DIF blocks (400 bytes) the way a DV decoder does, written
// straight from IEC 61834-2: each block's codes first from its own area, then from the
// space its macroblock's blocks left after their end-of-block codes, then from the space
// left anywhere in the segment. Returns false, with a reason, on a bit pattern that is no
// code or on a coefficient past position 63.
bool ParseVideoSegment(const uint8_t* difBlocks, ParsedSegment& out, std::string* error = nullptr);

// Parses every video segment of a DV frame: the DIF blocks whose ID carries section type
// video (ID0 bits 7-5 = 100), taken five at a time in stream order. Stops at the first
// segment that does not parse.
bool ParseVideoSegments(const uint8_t* frame, size_t size, std::vector<ParsedSegment>& out,
                        std::string* error = nullptr);

}  // namespace test
}  // namespace encdv

#endif
