// One stream's decoder: packets from the input in, frames out, damaged packets counted and
// passed over so that whatever decodes is kept.
#ifndef DVENC_LAV_DECODER_H
#define DVENC_LAV_DECODER_H

#include <string>

#include "enc_dv.h"

#include "media/lav_input.h"
#include "media/lav_types.h"

namespace dvenc {

class LavDecoder {
  public:
    // Opens the decoder of stream number index of input. False with a reason naming the
    // stream and its codec otherwise.
    bool Open(LavInput* input, int index, std::string* error);

    AVCodecContext* Context() const { return codec_.get(); }
    AVStream* Stream() const { return stream_; }
    int Index() const { return stream_->index; }

    enum class Got { kFrame, kEnd, kStarved };
    // The next decoded frame, its best-effort time stamp in frame->pts (stream time base).
    Got Next(AVFrame* frame);

    // Packets the decoder refused and frames it had to patch up, the data being damaged.
    int Damaged() const { return damaged_; }
    // "h264" and the like.
    const char* CodecName() const;

    // A DV stream's recording date, as its first packet (a whole DIF frame) carries it; false
    // for other streams, before the first packet, or when that frame has none.
    bool DvRecordingDate(DVEncRecordingDate* date) const;

  private:
    LavInput* input_ = nullptr;
    AVStream* stream_ = nullptr;
    CodecPtr codec_;
    PacketPtr packet_;
    bool draining_ = false;
    bool firstPacketSeen_ = false;
    bool haveDvDate_ = false;
    DVEncRecordingDate dvDate_ = {};
    int damaged_ = 0;
};

}  // namespace dvenc

#endif
