#include "media/lav_input.h"

#include <chrono>
#include <thread>

namespace dvenc {

namespace {

constexpr int kPipeBuffer = 1 << 16;
// A stream waiting this far behind the other is taken as ended for the moment.
constexpr size_t kMaxQueuedBytes = size_t(256) << 20;
constexpr size_t kMaxQueuedPackets = 4096;

}  // namespace

LavInput::~LavInput() {
    for (Queue& queue : queues_) Clear(&queue);
    avformat_close_input(&format_);
    if (pipeIo_) {
        av_freep(&pipeIo_->buffer);
        avio_context_free(&pipeIo_);
    }
}

int LavInput::ReadPipe(void* opaque, uint8_t* buffer, int size) {
    auto* self = static_cast<LavInput*>(opaque);
    const size_t got = self->pipe_->Read(buffer, static_cast<size_t>(size));
    if (got > 0) return static_cast<int>(got);
    if (self->pipe_->Interrupted()) return AVERROR_EXIT;
    return self->pipe_->Failed() ? AVERROR(EIO) : AVERROR_EOF;
}

int LavInput::Stop(void* opaque) {
    auto* self = static_cast<LavInput*>(opaque);
    return self->stopRequested_ && self->stopRequested_() ? 1 : 0;
}

bool LavInput::Open(const MediaRequest& request, std::string* error) {
    name_ = request.pipe ? request.pipe->Name() : "'" + request.path + "'";
    stopRequested_ = request.stopRequested;
    packet_.reset(av_packet_alloc());
    format_ = avformat_alloc_context();
    if (!format_ || !packet_) {
        *error = "out of memory opening " + name_;
        return false;
    }
    format_->interrupt_callback.callback = Stop;
    format_->interrupt_callback.opaque = this;
    if (request.pipe) {
        pipe_ = request.pipe;
        auto* buffer = static_cast<uint8_t*>(av_malloc(kPipeBuffer));
        pipeIo_ = buffer
                      ? avio_alloc_context(buffer, kPipeBuffer, 0, this, ReadPipe, nullptr, nullptr)
                      : nullptr;
        if (!pipeIo_) {
            av_free(buffer);
            *error = "out of memory opening " + name_;
            return false;
        }
        format_->pb = pipeIo_;
    }
    int result = avformat_open_input(&format_, request.pipe ? nullptr : request.path.c_str(),
                                     nullptr, nullptr);
    if (result < 0) {
        // avformat_open_input frees the context on failure.
        if (result == AVERROR(ENOENT) || result == AVERROR(EACCES) || result == AVERROR(EISDIR)) {
            *error = "cannot open " + name_ + ": " + LavError(result);
        } else {
            *error = name_ + ": not a YUV4MPEG2 stream nor a file FFmpeg's libraries read (" +
                     LavError(result) + ")";
        }
        return false;
    }
    result = avformat_find_stream_info(format_, nullptr);
    if (result < 0) {
        *error = "cannot read the streams of " + name_ + ": " + LavError(result);
        return false;
    }
    return true;
}

void LavInput::Keep(int video, int audio) {
    streams_[0] = video;
    streams_[1] = audio;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        const bool kept = static_cast<int>(i) == video || static_cast<int>(i) == audio;
        format_->streams[i]->discard = kept ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
    }
}

void LavInput::Clear(Queue* queue) {
    for (AVPacket* packet : queue->packets) av_packet_free(&packet);
    queue->packets.clear();
    queue->bytes = 0;
}

LavInput::Read LavInput::Next(int stream, AVPacket* packet) {
    const int slot = stream == streams_[0] ? 0 : 1;
    Queue& mine = queues_[slot];
    Queue& other = queues_[1 - slot];
    if (!mine.packets.empty()) {
        AVPacket* queued = mine.packets.front();
        mine.packets.pop_front();
        mine.bytes -= static_cast<size_t>(queued->size);
        av_packet_move_ref(packet, queued);
        av_packet_free(&queued);
        return Read::kPacket;
    }
    for (;;) {
        if (ended_) return Read::kEnd;
        // The sound waits rather than hold the pictures back without bound.
        if (slot == 1 &&
            (other.bytes > kMaxQueuedBytes || other.packets.size() > kMaxQueuedPackets)) {
            return Read::kStarved;
        }
        const int result = av_read_frame(format_, packet_.get());
        if (result == AVERROR(EAGAIN)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        if (result < 0) {
            ended_ = true;
            if (result == AVERROR_EXIT || (stopRequested_ && stopRequested_())) {
                interrupted_ = true;
            } else if (result != AVERROR_EOF) {
                problem_ = "read error (" + LavError(result) + ")";
            } else if (format_->pb && format_->pb->error < 0) {
                problem_ = "read error (" + LavError(format_->pb->error) + ")";
            }
            return Read::kEnd;
        }
        const int index = packet_->stream_index;
        if (index == stream) {
            av_packet_move_ref(packet, packet_.get());
            return Read::kPacket;
        }
        if (index == streams_[1 - slot]) {
            AVPacket* queued = av_packet_alloc();
            if (!queued) {
                problem_ = "out of memory";
                ended_ = true;
                return Read::kEnd;
            }
            av_packet_move_ref(queued, packet_.get());
            other.bytes += static_cast<size_t>(queued->size);
            other.packets.push_back(queued);
        } else {
            av_packet_unref(packet_.get());
        }
    }
}

}  // namespace dvenc
