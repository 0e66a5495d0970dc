#include "coding/segment_coder.h"

#include <emmintrin.h>

#include <cstring>

#include "coding/block_coder.h"
#include "coding/byte_order.h"

namespace encdv {
namespace {

constexpr int kBlocksPerSegment = kMacroblocksPerSegment * kBlocksPerMacroblock;
constexpr int kDifDataBytes = 76;  // bytes 4-79 of a video DIF block
constexpr int kSegmentDataBytes = kMacroblocksPerSegment * kDifDataBytes;

// Block areas inside the 76 data bytes (IEC 61834-2): four 14-byte luminance areas, then two
// 10-byte colour-difference areas.
constexpr int kAreaOffset[kBlocksPerMacroblock] = {0, 14, 28, 42, 56, 66};
constexpr int kAreaBits[kBlocksPerMacroblock] = {112, 112, 112, 112, 80, 80};
constexpr int32_t kSegmentAreaBits = kMacroblocksPerSegment * (4 * 112 + 2 * 80);
// DC, DCT mode and class number open every block's code; the end-of-block code closes it.
constexpr int32_t kBlockHeaderBits = 12;
constexpr int32_t kEndOfBlockBits = 4;

// The last block's code may run this far past the segment's data.
constexpr int kCodeSlackBytes = (kMaxBlockCodeBits - 80) / 8;

// Worst case of the overflow copies: each of the 20 luminance and 10 colour-difference
// blocks overflowing as far as it can, each copy rounded up to bytes and followed by a zero
// byte.
constexpr int kSpillStoreBytes =
    20 * ((kMaxBlockCodeBits - 112 + 7) / 8 + 1) + 10 * ((kMaxBlockCodeBits - 80 + 7) / 8 + 1);
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

inline uint64_t LoadBigEndian64(const uint8_t* bytes) {
    uint32_t high, low;
    std::memcpy(&high, bytes, 4);
    std::memcpy(&low, bytes + 4, 4);
    return (static_cast<uint64_t>(ByteSwap(high)) << 32) | ByteSwap(low);
}

// Moves the next n bits of the overflowing cursor o to the room cursor r, leaving both as
// moving them a few bits at a time would: o's pending bits first, then whole 32-bit words
// read from o's bytes at any bit offset and stored at r's, then the last 0-31 bits. Reads up
// to eight bytes past o's last bit (the spill store has that slack).
void MoveBits(BitCursor& o, BitCursor& r, uint32_t n) {
    if (n <= 24) {  // most moves: one take and one put
        PutBits(r, TakeBits(o, n), n);
        return;
    }
    const uint32_t fromPending = o.pendingCount < n ? o.pendingCount : n;
    if (fromPending != 0) {
        PutBits(r, TakeBits(o, fromPending), fromPending);
        n -= fromPending;
    }
    if (n == 0) return;
    // o has no pending bits left: its string goes on byte-aligned at o.position.
    if (r.pendingCount == 8) PutBits(r, 0, 0);  // store the full pending byte
    const uint8_t* const from = o.position;
    uint32_t offset = 0;
    for (; n - offset >= 32; offset += 32) {
        const uint32_t word =
            static_cast<uint32_t>((LoadBigEndian64(from + offset / 8) << (offset % 8)) >> 32);
        const uint64_t joined = (static_cast<uint64_t>(r.pendingBits) << 32) |
                                (static_cast<uint64_t>(word) << (32 - r.pendingCount));
        const uint32_t full = ByteSwap(static_cast<uint32_t>(joined >> 32));
        std::memcpy(r.position, &full, 4);
        r.position += 4;
        r.pendingBits = static_cast<uint32_t>(joined);
    }
    for (uint32_t left = n - offset; left > 0;) {
        const uint32_t count = left < 24 ? left : 24;
        const uint32_t word =
            static_cast<uint32_t>((LoadBigEndian64(from + offset / 8) << (offset % 8)) >> 32);
        PutBits(r, word & ~(~uint32_t{0} >> count), count);
        offset += count;
        left -= count;
    }
    // The bits of o's last byte read that were not moved become its pending bits.
    const uint32_t partial = n % 8;
    o.position = const_cast<uint8_t*>(from) + n / 8;
    if (partial == 0) {
        o.pendingCount = 0;
        o.pendingBits = 0;
    } else {
        o.pendingCount = 8 - partial;
        o.pendingBits = static_cast<uint32_t>(*o.position++) << (24 + partial);
    }
}

// Moves overflow bits into free space in list order until either list runs out. A cursor
// leaves its list when it is used up (overflow) or full (room).
void Pour(CursorList& overflow, CursorList& room) {
    while (!overflow.Empty() && !room.Empty()) {
        BitCursor& o = *overflow.Front();
        BitCursor& r = *room.Front();
        const int32_t n = o.bitCount < r.bitCount ? o.bitCount : r.bitCount;
        MoveBits(o, r, static_cast<uint32_t>(n));
        o.bitCount -= n;
        r.bitCount -= n;
        if (o.bitCount == 0) overflow.Pop();
        if (r.bitCount == 0) room.Pop();
    }
}

// Copies bytes (1-128) in whole 16-byte chunks, as many as they take: up to 15 bytes more
// are read and written. Nearly every copy fits in the first two chunks, which are moved
// whatever the length, without the size dispatch of a library call.
inline void CopyChunks(uint8_t* to, const uint8_t* from, uint32_t bytes) {
    __m128i* out = reinterpret_cast<__m128i*>(to);
    const __m128i* in = reinterpret_cast<const __m128i*>(from);
    _mm_storeu_si128(out, _mm_loadu_si128(in));
    _mm_storeu_si128(out + 1, _mm_loadu_si128(in + 1));
    for (uint32_t i = 2; 16 * i < bytes; ++i) _mm_storeu_si128(out + i, _mm_loadu_si128(in + i));
}

// Puts the first bytes (1-128) of a block code stored by the quantization selection at the
// start of the block's area, in whole 16-byte chunks. The bytes copied after them belong to
// the block's free space or to later areas: the distribution and the zero filling overwrite
// the first, the later blocks' codes the second, as they would after CodeBlock.
inline void CopyStoredCode(uint8_t* area, const uint8_t* code, uint32_t bytes) {
    CopyChunks(area, code, bytes);
}

// The cursor CodeBlock leaves after writing a code of bits bits at area: the last 1-8 bits
// pending, their byte stored with zero bits after them. The byte is read from the code store,
// not from the area that was just written.
inline void PlaceAfterCode(BitCursor& cursor, uint8_t* area, const uint8_t* code, uint32_t bits) {
    const uint32_t pending = ((bits - 1) & 7) + 1;
    const uint32_t last = (bits - pending) / 8;
    cursor.position = area + last;
    cursor.pendingCount = pending;
    cursor.pendingBits = static_cast<uint32_t>(code[last]) << 24;
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

// With the exact code lengths that the sequential quantization selection leaves in codeBits
// (totalBits is their sum; the one-pass mode sets it to -1), the three passes can be worked
// out on lengths alone before anything is coded: placed[j] becomes the number of leading bits
// of block j's code that end up in the stream. Overflow bits beyond that are dropped by the
// distribution, so they need not be coded at all, which matters for segments far over
// budget. False, with nothing planned, when the lengths are not known or every bit fits.
bool PlanPlacedBits(const SegmentWork& segment, int32_t* length, int32_t* placed) {
    int32_t total = 0;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const MacroblockWork& macroblock = segment.macroblocks[k];
        // The one-pass mode writes no codeBits at all: they must not be read.
        if (macroblock.totalBits < 0) return false;
        int32_t sum = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int32_t codeBits = macroblock.blocks[b].codeBits;
            if (codeBits < kEndOfBlockBits) return false;
            sum += codeBits;
            length[kBlocksPerMacroblock * k + b] = kBlockHeaderBits + codeBits;
        }
        if (macroblock.totalBits != sum) return false;
        total += kBlocksPerMacroblock * kBlockHeaderBits + sum;
    }
    if (total <= kSegmentAreaBits) return false;
    // Pass 2 within each macroblock; what is left of the overflow and of the free space
    // goes on to pass 3.
    int32_t leftover[kBlocksPerSegment];
    int32_t segmentRoom = 0;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        int32_t room = 0;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int32_t excess = length[kBlocksPerMacroblock * k + b] - kAreaBits[b];
            if (excess < 0) room -= excess;
        }
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            const int32_t excess = length[j] - kAreaBits[b];
            placed[j] = length[j];
            leftover[j] = 0;
            if (excess <= 0) continue;
            const int32_t poured = excess < room ? excess : room;
            room -= poured;
            leftover[j] = excess - poured;
        }
        segmentRoom += room;
    }
    // Pass 3 across the segment, in macroblock and block order.
    for (int j = 0; j < kBlocksPerSegment; ++j) {
        if (leftover[j] == 0) continue;
        const int32_t poured = leftover[j] < segmentRoom ? leftover[j] : segmentRoom;
        segmentRoom -= poured;
        placed[j] -= leftover[j] - poured;
    }
    return true;
}

}  // namespace

void CodeSegment(SegmentWork& segment, uint8_t*& output) {
    // The DIF block data of the segment, then room for the last block's longest overflow.
    // The chunk copies of the overflow read up to 16 bytes more.
    uint8_t data[kSegmentDataBytes + kCodeSlackBytes + 16];
    // The bit mover reads up to eight bytes past the last bit it moves, and the chunk copies
    // write up to 16 bytes past the last byte they copy.
    uint8_t spill[kSpillStoreBytes + 16];
    uint8_t* spillEnd = spill;
    BitCursor cursors[kBlocksPerSegment];
    CursorList segmentOverflow;
    CursorList segmentRoom;

    int32_t length[kBlocksPerSegment];
    int32_t placed[kBlocksPerSegment];
    const bool planned = PlanPlacedBits(segment, length, placed);

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& macroblock = segment.macroblocks[k];
        uint8_t* const blockData = data + k * kDifDataBytes;
        CursorList overflow;
        CursorList room;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = k * kBlocksPerMacroblock + b;
            BitCursor& cursor = cursors[j];
            uint8_t* const area = blockData + kAreaOffset[b];
            cursor.position = area;
            int excess;
            int kept;  // overflow bits that the distribution will read
            if (macroblock.codedBlocks & (1u << b)) {
                const int bits = kBlockHeaderBits + macroblock.blocks[b].codeBits;
                const int used = planned ? placed[j] : bits;
                CopyStoredCode(area, macroblock.blockCode[b], static_cast<uint32_t>(used + 7) / 8);
                PlaceAfterCode(cursor, area, macroblock.blockCode[b], static_cast<uint32_t>(bits));
                excess = bits - kAreaBits[b];
                kept = used - kAreaBits[b];
            } else if (planned && placed[j] < length[j]) {
                CodeBlockPrefix(macroblock.blocks[b], macroblock.nonzeroList[b], cursor, placed[j]);
                excess = length[j] - kAreaBits[b];
                kept = placed[j] - kAreaBits[b];
            } else {
                excess = CodeBlock(macroblock.blocks[b], macroblock.nonzeroList[b], cursor) -
                         kAreaBits[b];
                kept = excess;
            }
            if (excess > 0) {
                // Save the bits that ran into the following areas before they are overwritten.
                const int bytes = (kept + 7) / 8;
                CopyChunks(spillEnd, area + kAreaBits[b] / 8, static_cast<uint32_t>(bytes));
                cursor = BitCursor{0, 0, spillEnd, excess};
                std::memset(spillEnd + bytes, 0, 8);  // the zero byte, and the read slack zeroed
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
