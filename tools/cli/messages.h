// dvenc's lines on standard error: "dvenc: error: ...", "dvenc: warning: ...".
#ifndef DVENC_MESSAGES_H
#define DVENC_MESSAGES_H

#include <string>

namespace dvenc {

// Prints "dvenc: error: message" and returns code.
int Fail(int code, const std::string& message);

// Prints "dvenc: kind: message" unless quiet or the message is empty.
void Say(bool quiet, const char* kind, const std::string& message);

}  // namespace dvenc

#endif
