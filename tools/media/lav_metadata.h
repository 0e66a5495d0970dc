// What a file says about its pictures and its time, read from FFmpeg's stream parameters,
// side data, tags and the first decoded frame.
#ifndef DVENC_LAV_METADATA_H
#define DVENC_LAV_METADATA_H

#include <string>

#include "media/conversion_plan.h"
#include "media/lav_types.h"

namespace dvenc {

// The picture of the video stream as its first decoded frame and the stream describe it.
SourcePicture DescribeSource(AVFormatContext* format, AVStream* stream, const AVFrame* first);

// The file's time code tag: the video stream's, a time code track's, or the file's; empty
// when there is none.
std::string TimecodeTag(AVFormatContext* format, AVStream* video);

// The file's recording time tag: QuickTime's local creation date, else the file's or the
// video stream's creation time; empty when there is none.
std::string CreationTag(AVFormatContext* format, AVStream* video);

}  // namespace dvenc

#endif
