// dvenc built without FFmpeg's libraries: files other than YUV4MPEG2 and raw frames are
// refused with what to install.
#include "media/open_media.h"

namespace dvenc {

namespace {

#ifdef _WIN32
constexpr char kInstall[] =
    "this dvenc reads YUV4MPEG2 and raw frames only; ffmpeg turns other files into "
    "YUV4MPEG2 (ffmpeg -i FILE -f yuv4mpegpipe - | dvenc - OUTPUT)";
#else
constexpr char kInstall[] =
    "dvenc was built without FFmpeg's libraries; to read other files install them "
    "(apt-get install libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev "
    "libswresample-dev) and build dvenc again";
#endif

}  // namespace

bool MediaSupported() {
    return false;
}

std::string MediaLibraries() {
    return kInstall;
}

bool OpenMedia(const MediaRequest& request, MediaStream*, std::string* error) {
    const std::string name = request.pipe ? request.pipe->Name() : "'" + request.path + "'";
    *error =
        name + ": not a YUV4MPEG2 stream (for raw frames give --fourcc and --size); " + kInstall;
    return false;
}

}  // namespace dvenc
