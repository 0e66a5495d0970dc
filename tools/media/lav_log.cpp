#include "media/lav_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace dvenc {

namespace {

constexpr int kShown = 20;
std::mutex logLock;
int logged = 0;

void Print(void* object, int level, const char* format, va_list arguments) {
    if (level > AV_LOG_ERROR) return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
    if (length == 0) return;
    const AVClass* type = object ? *static_cast<AVClass**>(object) : nullptr;
    const char* part = type && type->item_name ? type->item_name(object) : nullptr;
    std::lock_guard<std::mutex> hold(logLock);
    if (logged > kShown) return;
    if (logged++ == kShown) {
        std::fputs("dvenc: FFmpeg: further messages are not shown\n", stderr);
        return;
    }
    std::fprintf(stderr, "dvenc: FFmpeg: %s%s%.*s\n", part ? part : "", part ? ": " : "",
                 static_cast<int>(length), text);
}

void Drop(void*, int, const char*, va_list) {}

}  // namespace

void RouteLavLog(bool quiet) {
    av_log_set_level(quiet ? AV_LOG_QUIET : AV_LOG_ERROR);
    av_log_set_callback(quiet ? Drop : Print);
}

}  // namespace dvenc
