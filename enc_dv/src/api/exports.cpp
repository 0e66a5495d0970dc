#include "enc_dv.h"

// Placeholders until the interface lands.
extern "C" {
void InitDVEnc(void) {}
DVEncoderHandle* DVNewEnc(void) { return nullptr; }
void DVDoneEnc(DVEncoderHandle*) {}
int DVCompressBuffer(DVEncoderHandle*, const void*, int, void*, int, int, int, int, unsigned,
                     unsigned) {
    return 0;
}
int CompressBuffer_DV(const void*, int, void*, int, int, int, int, unsigned, unsigned) {
    return 0;
}
DVEncQueryInfoFunction DVEncGetAPIExt(int) { return nullptr; }
}
