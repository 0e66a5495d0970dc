#ifndef ENC_DV_PLATFORM_QUALITY_SETTING_H
#define ENC_DV_PLATFORM_QUALITY_SETTING_H

namespace encdv {

// Whether the Quality setting of section DVCODEC asks for the best-quality mode on every
// frame. Read anew on every call, like CPUFeatures.
bool BestQualitySetting();

// Whether a Quality text asks for the best-quality mode: one of its words (separated as in
// CPUFeatures) is "best" in any letter case. Empty, "default" and unknown words do not.
bool ParseQualitySetting(const char* text);

}  // namespace encdv

#endif
