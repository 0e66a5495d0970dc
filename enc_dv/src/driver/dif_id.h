#ifndef ENC_DV_DRIVER_DIF_ID_H
#define ENC_DV_DRIVER_DIF_ID_H

#include <cstdint>

namespace encdv {

// Fields of a DIF block ID (IEC 61834-2), in transmission-field order.
struct DifIdRecord {
    int32_t arb;           // 4 bits
    int32_t reservedBit;   // 1 bit of ID0
    int32_t sct;           // section type, 3 bits
    int32_t reservedBits;  // 3 bits of ID1
    int32_t fsc;           // 1 bit
    int32_t dseq;          // DIF sequence number, 4 bits
    int32_t dbn;           // DIF block number, 8 bits
};

// Packs the record into the three ID bytes ID0, ID1, ID2.
inline void PackDifId(const DifIdRecord& id, uint8_t* out) {
    out[0] =
        static_cast<uint8_t>(((id.sct & 7) << 5) | ((id.reservedBit & 1) << 4) | (id.arb & 15));
    out[1] =
        static_cast<uint8_t>(((id.dseq & 15) << 4) | ((id.fsc & 1) << 3) | (id.reservedBits & 7));
    out[2] = static_cast<uint8_t>(id.dbn & 0xFF);
}

}  // namespace encdv

#endif
