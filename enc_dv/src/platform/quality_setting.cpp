// The Quality setting of section DVCODEC: "best" turns the best-quality mode on for every
// frame; anything else leaves the choice to the compress call's flags.
#include "platform/quality_setting.h"

#include "platform/profile.h"
#include "platform/setting_words.h"

namespace encdv {

bool ParseQualitySetting(const char* text) {
    bool best = false;
    platform::ForEachSettingWord(text, [&best](const char* word, std::size_t length) {
        if (platform::SettingWordIs(word, length, "best")) best = true;
    });
    return best;
}

bool BestQualitySetting() {
    char setting[256];
    platform::ReadProfileString("DVCODEC", "Quality", setting, sizeof(setting));
    return ParseQualitySetting(setting);
}

}  // namespace encdv
