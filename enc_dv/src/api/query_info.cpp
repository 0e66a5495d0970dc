// Answers of the information query handed out by DVEncGetAPIExt.
#include "api/query_info.h"

#include <cstdint>
#include <cstring>

#include "enc_dv.h"

namespace encdv {
namespace {

constexpr char kVersionText[] = "8.5.0.19970";
constexpr char kPlatformText[] = "QXPLATFORM_IA32";

}  // namespace

int QueryInfo(int type, void* out) {
    if (!out) return 1;
    switch (type) {
        case DVENC_QUERY_CAPABILITY: {
            const uint32_t value = 1;
            std::memcpy(out, &value, sizeof(value));
            return 0;
        }
        case DVENC_QUERY_VERSION:
            std::memcpy(out, kVersionText, sizeof(kVersionText) - 1);
            return 0;
        case DVENC_QUERY_PLATFORM:
            std::memcpy(out, kPlatformText, sizeof(kPlatformText) - 1);
            return 0;
        default:
            return 1;
    }
}

}  // namespace encdv
