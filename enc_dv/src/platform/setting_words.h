#ifndef ENC_DV_PLATFORM_SETTING_WORDS_H
#define ENC_DV_PLATFORM_SETTING_WORDS_H

#include <cstddef>
#include <cstring>

namespace encdv::platform {

// The words of a setting's text: split at runs of space, comma, tab or newline (leading and
// trailing ones ignored); visit(start, length) is called for each word in order.
template <typename Visit>
void ForEachSettingWord(const char* text, Visit visit) {
    auto separator = [](char c) { return c == ' ' || c == ',' || c == '\t' || c == '\n'; };
    const char* p = text;
    while (*p) {
        while (*p && separator(*p)) ++p;
        const char* start = p;
        while (*p && !separator(*p)) ++p;
        if (p != start) visit(start, static_cast<std::size_t>(p - start));
    }
}

// Whether a word equals a lower-case name, ignoring the letter case of the word.
inline bool SettingWordIs(const char* word, std::size_t length, const char* name) {
    if (std::strlen(name) != length) return false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = word[i];
        const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != name[i]) return false;
    }
    return true;
}

}  // namespace encdv::platform

#endif
