// Reading a DV frame's non-video blocks as a host or player would: blocks found by their
// IDs (section type, DIF sequence, block number), and the five-byte packs of the subcode,
// VAUX and audio blocks. Kept apart from the library's own layout code, so the tests state
// the layout once more, independently.
#ifndef ENC_DV_TESTS_SUPPORT_DV_FRAME_LAYOUT_H
#define ENC_DV_TESTS_SUPPORT_DV_FRAME_LAYOUT_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace encdv::test {

enum DifSection { kHeaderSection = 0, kSubcodeSection = 1, kVauxSection = 2, kAudioSection = 3 };

// The block with this ID, or null.
const uint8_t* FindDifBlock(const uint8_t* frame, size_t frameBytes, int sct, int sequence,
                            int dbn);

// "13 00 00 00 00": n bytes as upper-case hex separated by spaces.
std::string Hex(const uint8_t* bytes, size_t n = 5);

// The pack of sync block k (0-5) of a subcode block: after its three ID bytes.
std::string SubcodePack(const uint8_t* block, int k);
// VAUX pack p (0-14) of a VAUX block: fifteen five-byte packs from byte 3.
std::string VauxPack(const uint8_t* block, int p);
// The AAUX pack of an audio block: bytes 3-7.
std::string AauxPack(const uint8_t* block);

}  // namespace encdv::test

#endif
