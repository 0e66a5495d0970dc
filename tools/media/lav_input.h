// The file as FFmpeg's demuxer reads it: opened by name (files and URLs) or from standard
// input, its packets handed to the video and the sound each in turn. Packets of the other
// kept stream that come first wait in a queue; every other stream is skipped.
#ifndef DVENC_LAV_INPUT_H
#define DVENC_LAV_INPUT_H

#include <deque>
#include <string>

#include "media/lav_types.h"
#include "media/open_media.h"

namespace dvenc {

class LavInput {
  public:
    LavInput() = default;
    ~LavInput();
    LavInput(const LavInput&) = delete;
    LavInput& operator=(const LavInput&) = delete;

    // Opens the request's file and reads its stream information. False with a one-line
    // reason naming the file otherwise.
    bool Open(const MediaRequest& request, std::string* error);

    AVFormatContext* Format() const { return format_; }
    // "'clip.mov'" or "standard input", as dvenc names inputs.
    const std::string& Name() const { return name_; }

    // The streams whose packets are read (-1: none); every other one is skipped.
    void Keep(int video, int audio);

    enum class Read { kPacket, kEnd, kStarved };
    // Moves the next packet of stream (one of the kept ones) into packet. kEnd at the end of
    // the input, after a read error (Problem() says which) or when interrupted; kStarved
    // when the other stream's queue is full (the file puts this stream far behind).
    Read Next(int stream, AVPacket* packet);

    // A read error that ended the input early; empty at a clean end.
    const std::string& Problem() const { return problem_; }
    bool Interrupted() const { return interrupted_; }

  private:
    struct Queue {
        std::deque<AVPacket*> packets;
        size_t bytes = 0;
    };
    static int ReadPipe(void* opaque, uint8_t* buffer, int size);
    static int Stop(void* opaque);
    void Clear(Queue* queue);

    AVFormatContext* format_ = nullptr;
    AVIOContext* pipeIo_ = nullptr;
    InputFile* pipe_ = nullptr;
    bool (*stopRequested_)() = nullptr;
    std::string name_;
    int streams_[2] = {-1, -1};
    Queue queues_[2];
    PacketPtr packet_;
    bool ended_ = false;
    bool interrupted_ = false;
    std::string problem_;
};

}  // namespace dvenc

#endif
