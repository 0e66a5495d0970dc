// dvenc's exit status, as its help documents it.
#ifndef DVENC_EXIT_CODES_H
#define DVENC_EXIT_CODES_H

namespace dvenc {

enum ExitCode {
    kExitDone = 0,
    kExitInput = 1,  // unreadable or unsuitable input, damaged or cut short
    kExitUsage = 2,
    kExitOutput = 3,
    kExitEncoder = 4,
    kExitInterrupted = 130,
};

}  // namespace dvenc

#endif
