#include "cli/messages.h"

#include <cstdio>

namespace dvenc {

int Fail(int code, const std::string& message) {
    std::fprintf(stderr, "dvenc: error: %s\n", message.c_str());
    return code;
}

void Say(bool quiet, const char* kind, const std::string& message) {
    if (!quiet && !message.empty()) std::fprintf(stderr, "dvenc: %s: %s\n", kind, message.c_str());
}

}  // namespace dvenc
