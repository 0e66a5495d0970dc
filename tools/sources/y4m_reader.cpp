#include "sources/y4m_reader.h"

#include <algorithm>

#include "sources/size_advice.h"

namespace dvenc {

namespace {

// Longest header or frame line accepted; real streams use well under 100 bytes.
constexpr size_t kMaxLine = 4096;

bool ParseInt(const std::string& text, long long limit, int* value) {
    if (text.empty() || text.size() > 10) return false;
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    if (v > limit) return false;
    *value = static_cast<int>(v);
    return true;
}

bool ParseRatio(const std::string& text, int* numerator, int* denominator) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) return false;
    return ParseInt(text.substr(0, colon), 0x7fffffff, numerator) &&
           ParseInt(text.substr(colon + 1), 0x7fffffff, denominator);
}

struct ChromaName {
    const char* tag;
    Y4mChroma chroma;
};
// "420" is the older name of 420jpeg.
constexpr ChromaName kChromaNames[] = {
    {"420jpeg", Y4mChroma::k420Jpeg},   {"420", Y4mChroma::k420Jpeg},
    {"420mpeg2", Y4mChroma::k420Mpeg2}, {"420paldv", Y4mChroma::k420PalDv},
    {"411", Y4mChroma::k411},           {"422", Y4mChroma::k422},
    {"444", Y4mChroma::k444},           {"444alpha", Y4mChroma::k444Alpha},
    {"mono", Y4mChroma::kMono},
};

// True when text is the start of a frame line: a prefix of "FRAME", or "FRAME" followed by
// its parameters.
bool StartsLikeFrameLine(const std::string& text) {
    static const std::string kFrame = "FRAME";
    if (text.size() <= kFrame.size()) return kFrame.compare(0, text.size(), text) == 0;
    return text.compare(0, kFrame.size(), kFrame) == 0 && text[kFrame.size()] == ' ';
}

}  // namespace

bool ParseY4mHeader(const std::string& line, Y4mHeader* header, std::string* error) {
    static const char kMagic[] = "YUV4MPEG2";
    if (line.compare(0, sizeof kMagic - 1, kMagic) != 0 ||
        (line.size() > sizeof kMagic - 1 && line[sizeof kMagic - 1] != ' ')) {
        *error = "not a YUV4MPEG2 stream (for raw frames give --fourcc and --size)";
        return false;
    }
    Y4mHeader h;
    size_t pos = sizeof kMagic - 1;
    while (pos < line.size()) {
        const size_t next = std::min(line.find(' ', pos), line.size());
        const std::string token = line.substr(pos, next - pos);
        pos = next + 1;
        if (token.empty()) continue;
        const std::string value = token.substr(1);
        bool ok = true;
        switch (token[0]) {
            case 'W':
                ok = ParseInt(value, 65535, &h.width) && h.width > 0;
                break;
            case 'H':
                ok = ParseInt(value, 65535, &h.height) && h.height > 0;
                break;
            case 'F':
                ok = ParseRatio(value, &h.rateNumerator, &h.rateDenominator) &&
                     (h.rateDenominator != 0 || h.rateNumerator == 0);
                break;
            case 'A':
                ok = ParseRatio(value, &h.aspectNumerator, &h.aspectDenominator) &&
                     (h.aspectDenominator != 0 || h.aspectNumerator == 0);
                break;
            case 'I':
                if (value == "p") {
                    h.interlace = Y4mInterlace::kProgressive;
                } else if (value == "t") {
                    h.interlace = Y4mInterlace::kTopFirst;
                } else if (value == "b") {
                    h.interlace = Y4mInterlace::kBottomFirst;
                } else if (value == "m") {
                    h.interlace = Y4mInterlace::kMixed;
                } else if (value == "?") {
                    h.interlace = Y4mInterlace::kUnknown;
                } else {
                    ok = false;
                }
                break;
            case 'C': {
                ok = false;
                for (const ChromaName& name : kChromaNames) {
                    if (value == name.tag) {
                        h.chroma = name.chroma;
                        ok = true;
                    }
                }
                if (!ok) {
                    *error = "unsupported chroma layout 'C" + value +
                             "' (dvenc reads 420jpeg, 420mpeg2, 420paldv, 411, 422, 444, "
                             "444alpha and mono, 8 bits per sample)";
                    return false;
                }
                break;
            }
            case 'X':
                // ffmpeg marks JPEG-range (full-range) streams; other X tags are comments.
                if (value == "COLORRANGE=FULL") h.fullRange = true;
                if (value == "COLORRANGE=LIMITED") h.fullRange = false;
                break;
            default:  // tags of later versions of the format
                break;
        }
        if (!ok) {
            *error = "malformed YUV4MPEG2 header field '" + token + "'";
            return false;
        }
    }
    if (h.width == 0 || h.height == 0) {
        *error = "YUV4MPEG2 header lacks the picture size (W and H)";
        return false;
    }
    if (h.width != 720 || (h.height != 480 && h.height != 486 && h.height != 576)) {
        *error = UnsupportedSizeMessage(h.width, h.height, h.rateNumerator, h.rateDenominator,
                                        h.aspectNumerator, h.aspectDenominator);
        return false;
    }
    *header = h;
    return true;
}

Y4mPlanes PlanesOf(const Y4mHeader& header) {
    Y4mPlanes p;
    const int w = header.width;
    const int h = header.height;
    switch (header.chroma) {
        case Y4mChroma::k420Jpeg:
        case Y4mChroma::k420Mpeg2:
        case Y4mChroma::k420PalDv:
            p.chromaWidth = (w + 1) / 2;
            p.chromaHeight = (h + 1) / 2;
            break;
        case Y4mChroma::k411:
            p.chromaWidth = (w + 3) / 4;
            p.chromaHeight = h;
            break;
        case Y4mChroma::k422:
            p.chromaWidth = (w + 1) / 2;
            p.chromaHeight = h;
            break;
        case Y4mChroma::k444:
        case Y4mChroma::k444Alpha:
            p.chromaWidth = w;
            p.chromaHeight = h;
            break;
        case Y4mChroma::kMono:
            break;
    }
    p.alpha = header.chroma == Y4mChroma::k444Alpha;
    p.lumaBytes = static_cast<size_t>(w) * h;
    p.chromaBytes = static_cast<size_t>(p.chromaWidth) * p.chromaHeight;
    p.frameBytes = p.lumaBytes * (p.alpha ? 2 : 1) + 2 * p.chromaBytes;
    return p;
}

bool Y4mReader::ReadHeader(std::string* error) {
    std::string line;
    switch (input_->ReadLine(&line, kMaxLine)) {
        case InputFile::LineResult::kLine:
            break;
        case InputFile::LineResult::kError:
            *error = input_->ErrorText();
            return false;
        case InputFile::LineResult::kEnd:
            *error = "empty input";
            return false;
        case InputFile::LineResult::kPartial:
        case InputFile::LineResult::kTooLong:
            // A stream that is not YUV4MPEG2 rarely has an early '\n'; judge by its start.
            if (line.compare(0, 9, "YUV4MPEG2") == 0) {
                *error = "incomplete YUV4MPEG2 header";
            } else {
                *error = "not a YUV4MPEG2 stream (for raw frames give --fourcc and --size)";
            }
            return false;
    }
    if (!ParseY4mHeader(line, &header_, error)) return false;
    planes_ = PlanesOf(header_);
    return true;
}

Y4mReader::FrameResult Y4mReader::ReadFrame(std::vector<uint8_t>* planeData, std::string* error) {
    const long long number = frameNumber_ + 1;
    const std::string where = "frame " + std::to_string(number);
    std::string line;
    switch (input_->ReadLine(&line, kMaxLine)) {
        case InputFile::LineResult::kEnd:
            return FrameResult::kEnd;
        case InputFile::LineResult::kError:
            *error = input_->ErrorText();
            return FrameResult::kError;
        case InputFile::LineResult::kPartial:
            if (StartsLikeFrameLine(line)) {
                *error = "input ends inside " + where + " (in its FRAME line)";
            } else {
                *error = "expected FRAME at the start of " + where;
            }
            return FrameResult::kError;
        case InputFile::LineResult::kTooLong:
            *error = StartsLikeFrameLine(line) ? "over-long FRAME line at " + where
                                               : "expected FRAME at the start of " + where;
            return FrameResult::kError;
        case InputFile::LineResult::kLine:
            if (line.compare(0, 5, "FRAME") != 0 || (line.size() > 5 && line[5] != ' ')) {
                *error = "expected FRAME at the start of " + where;
                return FrameResult::kError;
            }
            break;
    }
    planeData->resize(planes_.frameBytes);
    const size_t got = input_->Read(planeData->data(), planes_.frameBytes);
    if (got != planes_.frameBytes) {
        if (input_->Failed()) {
            *error = input_->ErrorText();
        } else {
            *error = "input ends inside " + where + " (" + std::to_string(got) + " of " +
                     std::to_string(planes_.frameBytes) + " bytes)";
        }
        return FrameResult::kError;
    }
    frameNumber_ = number;
    return FrameResult::kFrame;
}

}  // namespace dvenc
