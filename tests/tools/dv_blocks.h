// Reading the parts of DV frames that dvenc writes itself, for the tests: block kinds,
// the library's blocks, the AAUX, subcode and VAUX packs.
#ifndef ENC_DV_TESTS_TOOLS_DV_BLOCKS_H
#define ENC_DV_TESTS_TOOLS_DV_BLOCKS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dvenc_test {

// True when two DV streams carry the same header, VAUX and video blocks: all that the
// library writes and dvenc leaves as it is (the subcode and audio blocks and the header's
// audio and subcode transmitting flags are dvenc's).
bool SameLibraryBlocks(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// The five-byte packs of one kind (first byte) in a frame's blocks of section type sct
// (1 subcode, 2 VAUX, 3 audio), in the order they appear, as hex strings "13 00 00 00 00".
// Subcode packs sit after the three ID bytes of each of the six sync blocks of a block,
// VAUX packs fifteen to a block, AAUX packs one per audio block.
std::vector<std::string> PacksOf(const uint8_t* frame, size_t frameBytes, int sct, uint8_t kind);

}  // namespace dvenc_test

#endif
