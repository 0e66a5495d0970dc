#include "coding/vlc_tables.h"

#include "coding/vlc_code_words.h"

namespace encdv {
namespace {

// The bits left-aligned in 32 with their length in the low byte; no bits give 0.
constexpr uint32_t Entry(CodeBits code) {
    return code.length == 0 ? 0 : (code.bits << (32 - code.length)) | code.length;
}

constexpr RunAmpCodes MakeRunAmpCodes(const VlcCode& code) {
    RunAmpCodes table{};
    for (uint32_t d = 1; d <= 19; ++d) {
        table.codes[d - 1][0] = table.codes[d - 1][1] = Entry(code.ZeroRun(d - 1));
        for (uint32_t index = 2; index < 38; ++index) {
            table.codes[d - 1][index] = Entry(code.Coefficient(d, index / 2, index % 2));
        }
    }
    return table;
}

constexpr ZeroRunCodes MakeZeroRunCodes(const VlcCode& code) {
    ZeroRunCodes table{};
    for (uint32_t d = 1; d < 64; ++d) table.codes[d] = Entry(code.ZeroRun(d - 1));
    table.codes[kEndOfBlockIndex] = Entry(VlcCode::EndOfBlock());
    return table;
}

constexpr AmplitudeCodes MakeAmplitudeCodes(const VlcCode& code) {
    AmplitudeCodes table{};
    for (uint32_t index = 2; index < 512; ++index) {
        table.codes[index] = Entry(code.Amplitude(index / 2, index % 2));
    }
    return table;
}

}  // namespace

// The tables are built at compile time from the code's list of words.
extern constexpr RunAmpCodes RunAmpCodeTable = MakeRunAmpCodes(VlcCode());
extern constexpr ZeroRunCodes ZeroRunCodeTable = MakeZeroRunCodes(VlcCode());
extern constexpr AmplitudeCodes AmplitudeCodeTable = MakeAmplitudeCodes(VlcCode());

}  // namespace encdv
