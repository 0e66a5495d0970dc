#include "coding/short_code_table.h"

#include "coding/vlc_code_words.h"

namespace encdv {
namespace {

constexpr ShortCodes MakeShortCodes(const VlcCode& code) {
    ShortCodes table{};
    for (uint32_t d = 1; d < 16; ++d) {
        for (uint32_t index = 2; index < 64; ++index) {
            const uint32_t amplitude = index / 2;
            if (amplitude >= 23) {
                table.codes[d][index] = kNotShortCode;
                continue;
            }
            const CodeBits bits = code.Coefficient(d, amplitude, index % 2);
            table.codes[d][index] = (uint64_t{bits.bits} << (64 - bits.length)) | bits.length;
        }
    }
    return table;
}

}  // namespace

// Built at compile time from the code's list of words.
extern constexpr ShortCodes ShortCodeTable = MakeShortCodes(VlcCode());

}  // namespace encdv
