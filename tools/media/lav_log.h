// FFmpeg's own messages on dvenc's standard error, in dvenc's form.
#ifndef DVENC_LAV_LOG_H
#define DVENC_LAV_LOG_H

namespace dvenc {

// Errors of FFmpeg's libraries go to standard error as "dvenc: FFmpeg: <part>: <text>"
// (the first twenty; quiet: none), everything else is dropped.
void RouteLavLog(bool quiet);

}  // namespace dvenc

#endif
