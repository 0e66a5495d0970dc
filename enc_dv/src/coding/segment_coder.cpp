#include "coding/segment_coder.h"

#include <cstring>

#include "coding/block_coder.h"

namespace encdv {
namespace {

constexpr int kBlocksPerSegment = kMacroblocksPerSegment * kBlocksPerMacroblock;
constexpr int kDifDataBytes = 76;  // bytes 4-79 of a video DIF block
constexpr int kSegmentDataBytes = kMacroblocksPerSegment * kDifDataBytes;

// Block areas inside the 76 data bytes (IEC 61834-2): four 14-byte luminance areas, then two
// 10-byte colour-difference areas.
constexpr int kAreaOffset[kBlocksPerMacroblock] = {0, 14, 28, 42, 56, 66};
constexpr int kAreaBits[kBlocksPerMacroblock] = {112, 112, 112, 112, 80, 80};

// The last block's code may run this far past the segment's data.
constexpr int kCodeSlackBytes = (kMaxBlockCodeBits - 80) / 8;

// Worst case of the overflow copies: each of the 20 luminance and 10 colour-difference
// blocks overflowing as far as it can, each copy rounded up to bytes and followed by a zero
// byte.
constexpr int kSpillStoreBytes = 20 * ((kMaxBlockCodeBits - 112 + 7) / 8 + 1) +
                                 10 * ((kMaxBlockCodeBits - 80 + 7) / 8 + 1);
static_assert(kSpillStoreBytes == 3490, "spill store holds every block's longest overflow");

// A list of cursors (overflowing or with room) consumed from its front.
struct CursorList {
    BitCursor* items[kBlocksPerSegment];
    int head = 0;
    int tail = 0;
    void Push(BitCursor* cursor) { items[tail++] = cursor; }
    bool Empty() const { return head == tail; }
    BitCursor* Front() const { return items[head]; }
    void Pop() { ++head; }
};

// Takes the next count (1-24) bits of an overflowing cursor's string, left-aligned.
inline uint32_t TakeBits(BitCursor& from, uint32_t count) {
    while (from.pendingCount < count) {
        from.pendingBits |= static_cast<uint32_t>(*from.position++) << (24 - from.pendingCount);
        from.pendingCount += 8;
    }
    const uint32_t taken = from.pendingBits & (~uint32_t{0} << (32 - count));
    from.pendingBits <<= count;
    from.pendingCount -= count;
    return taken;
}

// Appends count (1-24) bits, left-aligned, after the room cursor's 0-8 pending bits and
// stores every completed byte.
inline void PutBits(BitCursor& to, uint32_t bits, uint32_t count) {
    to.pendingBits |= bits >> to.pendingCount;
    to.pendingCount += count;
    while (to.pendingCount >= 8) {
        *to.position++ = static_cast<uint8_t>(to.pendingBits >> 24);
        to.pendingBits <<= 8;
        to.pendingCount -= 8;
    }
}

// Moves overflow bits into free space in list order until either list runs out. A cursor
// leaves its list when it is used up (overflow) or full (room).
void Pour(CursorList& overflow, CursorList& room) {
    while (!overflow.Empty() && !room.Empty()) {
        BitCursor& o = *overflow.Front();
        BitCursor& r = *room.Front();
        const int32_t n = o.bitCount < r.bitCount ? o.bitCount : r.bitCount;
        int32_t left = n;
        while (left > 0) {
            const uint32_t count = left < 24 ? static_cast<uint32_t>(left) : 24;
            PutBits(r, TakeBits(o, count), count);
            left -= static_cast<int32_t>(count);
        }
        o.bitCount -= n;
        r.bitCount -= n;
        if (o.bitCount == 0) overflow.Pop();
        if (r.bitCount == 0) room.Pop();
    }
}

// Stores the pending bits and zeroes the rest of the free space of every cursor left.
void ZeroFill(CursorList& room) {
    for (; !room.Empty(); room.Pop()) {
        BitCursor& r = *room.Front();
        const int32_t bytes = (static_cast<int32_t>(r.pendingCount) + r.bitCount) / 8;
        std::memset(r.position, 0, static_cast<size_t>(bytes));
        if (r.pendingCount != 0) r.position[0] = static_cast<uint8_t>(r.pendingBits >> 24);
    }
}

}  // namespace

void CodeSegment(SegmentWork& segment, uint8_t*& output) {
    // The DIF block data of the segment, then room for the last block's longest overflow.
    uint8_t data[kSegmentDataBytes + kCodeSlackBytes];
    uint8_t spill[kSpillStoreBytes];
    uint8_t* spillEnd = spill;
    BitCursor cursors[kBlocksPerSegment];
    CursorList segmentOverflow;
    CursorList segmentRoom;

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& macroblock = segment.macroblocks[k];
        uint8_t* const blockData = data + k * kDifDataBytes;
        CursorList overflow;
        CursorList room;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            BitCursor& cursor = cursors[k * kBlocksPerMacroblock + b];
            uint8_t* const area = blockData + kAreaOffset[b];
            cursor.position = area;
            const int excess =
                CodeBlock(macroblock.blocks[b], macroblock.nonzeroList[b], cursor) - kAreaBits[b];
            if (excess > 0) {
                // Save the bits that ran into the following areas before they are overwritten.
                const int bytes = (excess + 7) / 8;
                std::memcpy(spillEnd, area + kAreaBits[b] / 8, static_cast<size_t>(bytes));
                cursor = BitCursor{0, 0, spillEnd, excess};
                spillEnd[bytes] = 0;
                spillEnd += bytes + 1;
                overflow.Push(&cursor);
            } else if (excess < 0) {
                cursor.bitCount = -excess;
                room.Push(&cursor);
            }
        }
        Pour(overflow, room);
        for (; !overflow.Empty(); overflow.Pop()) segmentOverflow.Push(overflow.Front());
        for (; !room.Empty(); room.Pop()) segmentRoom.Push(room.Front());
    }
    // Whatever overflow is left when the room runs out is dropped.
    Pour(segmentOverflow, segmentRoom);
    ZeroFill(segmentRoom);

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const MacroblockWork& macroblock = segment.macroblocks[k];
        uint8_t* const block = output + 80 * k;
        PackDifId(*segment.ids[k], block);
        block[3] = static_cast<uint8_t>((macroblock.sta << 4) | (macroblock.qno & 15));
        std::memcpy(block + 4, data + k * kDifDataBytes, kDifDataBytes);
    }
    output += 80 * kMacroblocksPerSegment;
}

}  // namespace encdv
