#include "coding/segment_coder.h"

#include <cstring>

#include "coding/block_coder.h"
#include "coding/byte_order.h"

namespace encdv {
namespace {

// Bits a stream step takes at most: with 0-7 bits pending, 56 more fit a 64-bit word, and a
// 64-bit window read at any bit offset holds at least 57.
constexpr uint32_t kStepBits = 56;

// A run of bits of one block: overflow still to be placed (from offset on in the block's
// code) or room still free (from offset on in the block's area).
struct BitRun {
    int32_t block;
    int32_t offset;
    int32_t bits;
};

// Runs in list order, consumed from the front.
struct RunList {
    BitRun items[kBlocksPerSegment];
    int head = 0;
    int tail = 0;
    void Push(const BitRun& run) { items[tail++] = run; }
    bool Empty() const { return head == tail; }
};

// Where the distribution puts the overflow: for every area, the pieces of other blocks'
// codes that fill its room, chained in the order they follow each other.
struct Placement {
    struct Piece {
        int32_t source;  // block whose code the bits come from
        int32_t offset;  // first bit in that code
        int32_t bits;
        int32_t next;  // next piece of the same area, or -1
    };
    // Every piece uses up an overflow run or fills a room run for good, and a block has one
    // run at the most: 30 pieces at the most.
    Piece pieces[kBlocksPerSegment];
    int count = 0;
    int first[kBlocksPerSegment];
    int last[kBlocksPerSegment];

    Placement() {
        for (int j = 0; j < kBlocksPerSegment; ++j) first[j] = -1;
    }
    void Add(int32_t area, int32_t source, int32_t offset, int32_t bits) {
        pieces[count] = Piece{source, offset, bits, -1};
        if (first[area] < 0) {
            first[area] = count;
        } else {
            pieces[last[area]].next = count;
        }
        last[area] = count++;
    }
};

// Moves overflow into room in list order until either list runs out; a run leaves its list
// when it is used up or full. Bits are only placed here, not moved.
void Pour(RunList& overflow, RunList& room, Placement& placement) {
    while (!overflow.Empty() && !room.Empty()) {
        BitRun& o = overflow.items[overflow.head];
        BitRun& r = room.items[room.head];
        const int32_t n = o.bits < r.bits ? o.bits : r.bits;
        placement.Add(r.block, o.block, o.offset, n);
        o.offset += n;
        o.bits -= n;
        r.offset += n;
        r.bits -= n;
        if (o.bits == 0) ++overflow.head;
        if (r.bits == 0) ++room.head;
    }
}

// Moves what is left of a macroblock's list, the current run first, to the segment's.
void Carry(RunList& from, RunList& to) {
    for (; !from.Empty(); ++from.head) to.Push(from.items[from.head]);
}

inline uint64_t LoadBigEndian64(const uint8_t* bytes) {
    uint64_t word;
    std::memcpy(&word, bytes, 8);
    return ByteSwap64(word);
}

// Writes a bit string front to back, eight or sixteen bytes per step (the bytes after the
// last bit are overwritten by the next step), keeping the 0-7 bits of an incomplete byte
// pending. Every block area starts and ends on a byte boundary.
struct StreamWriter {
    uint64_t bits = 0;  // pending bits, left-aligned, zeros after them
    uint32_t count = 0;
    uint8_t* position;

    explicit StreamWriter(uint8_t* start) : position(start) {}

    // Starts an area (nothing pending) with the first length bits (at most 112) of a code
    // whose store has zero bits after its last bit: whole bytes are copied as they are.
    void StartArea(const uint8_t* code, uint32_t length) {
        std::memcpy(position, code, 16);  // one unaligned 16-byte move where the target has it
        position += length / 8;
        count = length % 8;
        bits = static_cast<uint64_t>(code[length / 8] & ~(0xFFu >> count)) << 56;
    }

    // Appends the left-aligned code (zeros after its length bits, at most kStepBits).
    void Put(uint64_t code, uint32_t length) {
        bits |= code >> count;
        count += length;
        const uint64_t stored = ByteSwap64(bits);
        std::memcpy(position, &stored, 8);
        position += count >> 3;
        bits <<= count & ~7u;
        count &= 7;
    }

    // Appends length bits of the string at code from bit offset on. Reads up to seven bytes
    // after the last bit, which take no part.
    void Copy(const uint8_t* code, uint32_t offset, uint32_t length) {
        while (length > 0) {
            const uint32_t n = length < kStepBits ? length : kStepBits;
            const uint64_t window = LoadBigEndian64(code + offset / 8) << (offset % 8);
            Put(window & ~(~uint64_t{0} >> n), n);
            offset += n;
            length -= n;
        }
    }

    // Ends an area with length zero bits (the pending bits and length make whole bytes, at
    // most 14).
    void EndAreaWithZeros(uint32_t length) {
        const uint64_t stored = ByteSwap64(bits);
        std::memcpy(position, &stored, 8);
        std::memset(position + 8, 0, 8);
        position += (count + length) / 8;
        bits = 0;
        count = 0;
    }
};

}  // namespace

void CodeSegment(SegmentWork& segment, SegmentData& coded) {
    // Every block's code in its macroblock's store: the quantization selection left the
    // codes it counted there; the others are coded now. With the lengths known, the
    // distribution is worked out on lengths alone, and each DIF block's data is then written
    // front to back, area by area: the block's own code up to the area's end, the pieces of
    // overflow poured into its room, zeros for the rest.
    int32_t length[kBlocksPerSegment];
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        MacroblockWork& macroblock = segment.macroblocks[k];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            int32_t bits;
            if (macroblock.codedBlocks & (1u << b)) {
                bits = kBlockHeaderBits + macroblock.blocks[b].codeBits;
            } else {
                bits = CodeBlockToStore(macroblock.blocks[b], macroblock.nonzeroList[b],
                                        macroblock.blockCode[b]);
            }
            length[kBlocksPerMacroblock * k + b] = bits;
        }
    }

    // Pass 2 within each macroblock, then pass 3 across the segment with what is left, in
    // macroblock and block order; overflow left when the room runs out is dropped.
    Placement placement;
    RunList segmentOverflow;
    RunList segmentRoom;
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        RunList overflow;
        RunList room;
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            const int32_t excess = length[j] - kBlockAreaBits[b];
            if (excess > 0) {
                overflow.Push(BitRun{j, kBlockAreaBits[b], excess});
            } else if (excess < 0) {
                room.Push(BitRun{j, length[j], -excess});
            }
        }
        Pour(overflow, room, placement);
        Carry(overflow, segmentOverflow);
        Carry(room, segmentRoom);
    }
    Pour(segmentOverflow, segmentRoom, placement);

    StreamWriter writer(coded.data);
    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const MacroblockWork& macroblock = segment.macroblocks[k];
        for (int b = 0; b < kBlocksPerMacroblock; ++b) {
            const int j = kBlocksPerMacroblock * k + b;
            const uint32_t own = static_cast<uint32_t>(
                length[j] < kBlockAreaBits[b] ? length[j] : kBlockAreaBits[b]);
            writer.StartArea(macroblock.blockCode[b], own);
            uint32_t filled = own;
            for (int p = placement.first[j]; p >= 0; p = placement.pieces[p].next) {
                const Placement::Piece& piece = placement.pieces[p];
                const MacroblockWork& source =
                    segment.macroblocks[piece.source / kBlocksPerMacroblock];
                writer.Copy(source.blockCode[piece.source % kBlocksPerMacroblock],
                            static_cast<uint32_t>(piece.offset), static_cast<uint32_t>(piece.bits));
                filled += static_cast<uint32_t>(piece.bits);
            }
            writer.EndAreaWithZeros(static_cast<uint32_t>(kBlockAreaBits[b]) - filled);
        }
    }

    for (int k = 0; k < kMacroblocksPerSegment; ++k) {
        const MacroblockWork& macroblock = segment.macroblocks[k];
        coded.staQno[k] = static_cast<uint8_t>((macroblock.sta << 4) | (macroblock.qno & 15));
    }
}

}  // namespace encdv
