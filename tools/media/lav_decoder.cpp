#include "media/lav_decoder.h"

namespace dvenc {

bool LavDecoder::Open(LavInput* input, int index, std::string* error) {
    input_ = input;
    stream_ = input->Format()->streams[index];
    const AVCodecParameters* parameters = stream_->codecpar;
    const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
    const std::string what = "stream " + std::to_string(index) + " of " + input->Name() + " (" +
                             avcodec_get_name(parameters->codec_id) + ")";
    if (!decoder) {
        *error = "no decoder in FFmpeg's libraries for " + what;
        return false;
    }
    codec_.reset(avcodec_alloc_context3(decoder));
    packet_.reset(av_packet_alloc());
    if (!codec_ || !packet_) {
        *error = "out of memory opening the decoder of " + what;
        return false;
    }
    int result = avcodec_parameters_to_context(codec_.get(), parameters);
    if (result >= 0) {
        codec_->pkt_timebase = stream_->time_base;
        codec_->thread_count = 0;  // as many as the processors
        result = avcodec_open2(codec_.get(), decoder, nullptr);
    }
    if (result < 0) {
        *error = "cannot decode " + what + ": " + LavError(result);
        return false;
    }
    return true;
}

const char* LavDecoder::CodecName() const {
    return avcodec_get_name(stream_->codecpar->codec_id);
}

LavDecoder::Got LavDecoder::Next(AVFrame* frame) {
    for (int refusals = 0;;) {
        int result = avcodec_receive_frame(codec_.get(), frame);
        if (result == 0) {
            frame->pts = frame->best_effort_timestamp;
            // Decoded, but with parts of it made up where the data was damaged.
            if (frame->decode_error_flags) ++damaged_;
            return Got::kFrame;
        }
        if (result == AVERROR_EOF) return Got::kEnd;
        if (result != AVERROR(EAGAIN)) {
            // A frame that failed to decode; the decoder goes on with the next.
            ++damaged_;
            if (++refusals > 1000) return Got::kEnd;
            continue;
        }
        if (draining_) return Got::kEnd;
        switch (input_->Next(stream_->index, packet_.get())) {
            case LavInput::Read::kStarved:
                return Got::kStarved;
            case LavInput::Read::kEnd:
                draining_ = true;
                avcodec_send_packet(codec_.get(), nullptr);
                continue;
            case LavInput::Read::kPacket:
                break;
        }
        if (!firstPacketSeen_) {
            firstPacketSeen_ = true;
            haveDvDate_ =
                stream_->codecpar->codec_id == AV_CODEC_ID_DVVIDEO &&
                DVEncReadRecordingDate(packet_->data, packet_->size, &dvDate_) == DVENC_FILL_OK;
        }
        result = avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
        if (result < 0 && result != AVERROR(EAGAIN)) ++damaged_;
    }
}

bool LavDecoder::DvRecordingDate(DVEncRecordingDate* date) const {
    if (haveDvDate_) *date = dvDate_;
    return haveDvDate_;
}

}  // namespace dvenc
