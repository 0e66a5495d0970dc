#include "dv_video_parser.h"

#include "dv_code_table.h"

#include <cstring>
#include <vector>

namespace encdv {
namespace test {
namespace {

constexpr int kMaxCodeBits = 16;

// What a complete code means: skip `zeros` zero coefficients, then place `amplitude` (none
// when 0) with `sign`, or end the block.
struct Meaning {
    bool valid = false;
    bool endOfBlock = false;
    int zeros = 0;
    int amplitude = 0;
    int sign = 0;
};

// Every code word of the block code, indexed by (1 << length) | value.
class CodeBook {
  public:
    CodeBook() : entries_(size_t{2} << kMaxCodeBits) {
        for (const ReferenceRunAmpCode& c : kReferenceRunAmpCodes) {
            const int length = static_cast<int>(std::strlen(c.bits));
            const uint32_t value = Value(c.bits);
            for (int sign = 0; sign < 2; ++sign)
                Add(length + 1, (value << 1) | sign, {true, false, c.run, c.amplitude, sign});
        }
        for (int zeros = 1; zeros <= 62; ++zeros) {
            const std::string bits = ReferenceZeroRunBits(zeros);
            Add(static_cast<int>(bits.size()), Value(bits.c_str()), {true, false, zeros, 0, 0});
        }
        // The escape 1111111, 8-bit amplitude, sign; amplitudes 1-22 also have short codes.
        for (int a = 1; a < 256; ++a)
            for (int sign = 0; sign < 2; ++sign)
                Add(16, (0x7Fu << 9) | (a << 1) | sign, {true, false, 0, a, sign});
        Add(4, Value(kReferenceEndOfBlock), {true, true, 0, 0, 0});
    }
    const Meaning& Find(int length, uint32_t value) const {
        return entries_[(size_t{1} << length) | value];
    }

  private:
    static uint32_t Value(const char* bits) {
        uint32_t v = 0;
        for (; *bits; ++bits) v = (v << 1) | static_cast<uint32_t>(*bits - '0');
        return v;
    }
    void Add(int length, uint32_t value, const Meaning& meaning) {
        entries_[(size_t{1} << length) | value] = meaning;
    }
    std::vector<Meaning> entries_;
};

const CodeBook& Codes() {
    static const CodeBook book;
    return book;
}

struct BlockState {
    ParsedBlock* block = nullptr;
    uint32_t pending = 0;  // bits of a code not yet complete
    int pendingLength = 0;
    int position = 1;
    bool failed = false;
    std::string error;
};

// Feeds one bit to a block's decoder; returns true when the block has just ended.
bool FeedBit(BlockState& s, int bit) {
    s.pending = (s.pending << 1) | static_cast<uint32_t>(bit);
    ++s.pendingLength;
    const Meaning& m = Codes().Find(s.pendingLength, s.pending);
    if (!m.valid) {
        if (s.pendingLength >= kMaxCodeBits) {
            s.failed = true;
            s.error = "no code matches the bits";
        }
        return false;
    }
    s.pending = 0;
    s.pendingLength = 0;
    if (m.endOfBlock) {
        s.block->complete = true;
        return true;
    }
    s.position += m.zeros;
    if (m.amplitude != 0) {
        if (s.position > 63) {
            s.failed = true;
            s.error = "coefficient past position 63";
            return false;
        }
        s.block->coefficients[s.position++] = m.sign ? -m.amplitude : m.amplitude;
    } else if (m.zeros == 0 || s.position > 63) {
        s.failed = true;
        s.error = "zero run past position 63";
    }
    return false;
}

// A run of free bits of the segment's data.
struct BitRange {
    int begin;
    int end;
};

int BitAt(const uint8_t* data, int index) {
    return (data[index >> 3] >> (7 - (index & 7))) & 1;
}

// Reads free bits in order across ranges.
struct Pool {
    std::vector<BitRange> ranges;
    size_t range = 0;
    int next = 0;
    bool Empty() {
        while (range < ranges.size()) {
            if (next < ranges[range].begin) next = ranges[range].begin;
            if (next < ranges[range].end) return false;
            ++range;
        }
        return true;
    }
    int Take(const uint8_t* data) { return BitAt(data, next++); }
    // Moves what is left into another pool.
    void MoveRestTo(Pool& other) {
        while (!Empty()) {
            other.ranges.push_back({next, ranges[range].end});
            next = ranges[range].end;
        }
    }
};

// Continues every unfinished block in order from the pool; false on a bad code.
bool Distribute(std::vector<BlockState*>& blocks, Pool& pool, const uint8_t* data,
                std::string& reason) {
    for (BlockState* s : blocks) {
        if (s->block->complete) continue;
        while (!s->block->complete && !pool.Empty()) {
            FeedBit(*s, pool.Take(data));
            if (s->failed) {
                reason = s->error;
                return false;
            }
        }
    }
    return true;
}

bool Fail(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

}  // namespace

bool ParseVideoSegment(const uint8_t* difBlocks, ParsedSegment& out, std::string* error) {
    static const int kAreaOffset[6] = {0, 14, 28, 42, 56, 66};
    static const int kAreaBytes[6] = {14, 14, 14, 14, 10, 10};

    // The 76 data bytes of each DIF block, side by side.
    uint8_t data[5 * 76];
    for (int k = 0; k < 5; ++k) {
        out.sta[k] = difBlocks[80 * k + 3] >> 4;
        out.qno[k] = difBlocks[80 * k + 3] & 15;
        std::memcpy(data + 76 * k, difBlocks + 80 * k + 4, 76);
    }

    BlockState states[5][6];
    std::vector<BlockState*> segmentOrder;
    Pool segmentPool;
    for (int k = 0; k < 5; ++k) {
        Pool macroblockPool;
        std::vector<BlockState*> macroblockOrder;
        for (int b = 0; b < 6; ++b) {
            ParsedBlock& block = out.blocks[k][b];
            block = ParsedBlock();
            std::memset(block.coefficients, 0, sizeof block.coefficients);
            const int begin = 8 * (76 * k + kAreaOffset[b]);
            const int end = begin + 8 * kAreaBytes[b];
            int dc = 0;
            for (int i = 0; i < 9; ++i) dc = (dc << 1) | BitAt(data, begin + i);
            block.dc = dc >= 256 ? dc - 512 : dc;
            block.dctMode = BitAt(data, begin + 9);
            block.classNumber = 2 * BitAt(data, begin + 10) + BitAt(data, begin + 11);

            BlockState& s = states[k][b];
            s.block = &block;
            int bit = begin + 12;
            while (bit < end && !block.complete) {
                FeedBit(s, BitAt(data, bit++));
                if (s.failed) return Fail(error, s.error);
            }
            if (block.complete && bit < end) macroblockPool.ranges.push_back({bit, end});
            macroblockOrder.push_back(&s);
            segmentOrder.push_back(&s);
        }
        std::string reason;
        if (!Distribute(macroblockOrder, macroblockPool, data, reason)) return Fail(error, reason);
        macroblockPool.MoveRestTo(segmentPool);
    }
    std::string reason;
    if (!Distribute(segmentOrder, segmentPool, data, reason)) return Fail(error, reason);

    out.incompleteBlocks = 0;
    for (const BlockState* s : segmentOrder)
        if (!s->block->complete) ++out.incompleteBlocks;
    out.unusedBits = 0;
    out.unusedBitsZero = true;
    while (!segmentPool.Empty()) {
        ++out.unusedBits;
        if (segmentPool.Take(data)) out.unusedBitsZero = false;
    }
    return true;
}

bool ParseVideoSegments(const uint8_t* frame, size_t size, std::vector<ParsedSegment>& out,
                        std::string* error) {
    out.clear();
    uint8_t segment[400];
    int inSegment = 0;
    for (size_t offset = 0; offset + 80 <= size; offset += 80) {
        if ((frame[offset] >> 5) != 4) continue;
        std::memcpy(segment + 80 * inSegment, frame + offset, 80);
        if (++inSegment < 5) continue;
        inSegment = 0;
        out.emplace_back();
        std::string reason;
        if (!ParseVideoSegment(segment, out.back(), &reason))
            return Fail(error, "segment " + std::to_string(out.size() - 1) + ": " + reason);
    }
    if (inSegment != 0) return Fail(error, "video DIF blocks not a multiple of five");
    return true;
}

}  // namespace test
}  // namespace encdv
