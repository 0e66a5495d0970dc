// Fuzzes dvenc's YUV4MPEG2 reader, in one of two ways chosen by the first byte:
// - raw: the rest of the input is the whole stream. A header is accepted only for the
//   sizes dvenc encodes, and every frame read holds exactly the planes of its chroma
//   layout (sizes from the YUV4MPEG2 definition, stated here independently).
// - built: the input chooses a valid header (height, chroma layout, interlacing, rate,
//   aspect, extra tokens it supplies), one or two frames whose bytes tile the rest of the
//   input, and possibly a cut at the end. Every whole frame is converted, encoded and
//   decoded by libavcodec; the stream ends cleanly when uncut and with an error when cut.
#include <fuzzer/FuzzedDataProvider.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "enc_dv.h"
#include "sources/y4m_reader.h"
#include "sources/y4m_source.h"
#include "support/dv_decoder.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// A memory file holding the stream, read from its start.
int StreamFile(const std::string& bytes) {
    const int fd = memfd_create("y4m", MFD_CLOEXEC);
    Check(fd >= 0);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
        Check(wrote > 0);
        done += size_t(wrote);
    }
    Check(lseek(fd, 0, SEEK_SET) == 0);
    return fd;
}

// Bytes of one frame of 720 x height: luma, two chroma planes, and alpha for 444alpha.
size_t FrameBytes(const std::string& tag, int height) {
    const size_t luma = size_t(720) * height;
    if (tag == "mono") return luma;
    if (tag == "411") return luma + 2 * size_t(180) * height;
    if (tag == "422") return luma + 2 * size_t(360) * height;
    if (tag == "444") return 3 * luma;
    if (tag == "444alpha") return 4 * luma;
    return luma + 2 * size_t(360) * ((height + 1) / 2);  // the 4:2:0 variants
}

std::string ChromaTag(const dvenc::Y4mHeader& header) {
    switch (header.chroma) {
        case dvenc::Y4mChroma::k420Jpeg:
        case dvenc::Y4mChroma::k420Mpeg2:
        case dvenc::Y4mChroma::k420PalDv:
            return "420";
        case dvenc::Y4mChroma::k411:
            return "411";
        case dvenc::Y4mChroma::k422:
            return "422";
        case dvenc::Y4mChroma::k444:
            return "444";
        case dvenc::Y4mChroma::k444Alpha:
            return "444alpha";
        case dvenc::Y4mChroma::kMono:
            return "mono";
    }
    return "";
}

void FuzzRawStream(const std::string& stream) {
    const int fd = StreamFile(stream);
    dvenc::InputFile input;
    input.Attach(fd, "fuzzed stream");
    dvenc::Y4mReader reader(&input);
    std::string error;
    if (reader.ReadHeader(&error)) {
        const dvenc::Y4mHeader& header = reader.Header();
        Check(header.width == 720);
        Check(header.height == 480 || header.height == 486 || header.height == 576);
        const size_t frameBytes = FrameBytes(ChromaTag(header), header.height);
        Check(reader.Planes().frameBytes == frameBytes);
        std::vector<uint8_t> planes;
        for (int frame = 0; frame < 4; ++frame) {
            error.clear();
            const auto result = reader.ReadFrame(&planes, &error);
            if (result == dvenc::Y4mReader::FrameResult::kError) Check(!error.empty());
            if (result != dvenc::Y4mReader::FrameResult::kFrame) break;
            Check(planes.size() == frameBytes);
        }
    } else {
        Check(!error.empty());
    }
    close(fd);
}

void FuzzBuiltStream(FuzzedDataProvider& fuzz) {
    static const char* const kChromaTags[] = {nullptr, "420jpeg", "420", "420mpeg2", "420paldv",
                                              "411",   "422",     "444", "444alpha", "mono"};
    static const char* const kInterlace[] = {"", " Ip", " It", " Ib", " Im", " I?"};
    static const char* const kRates[] = {"", " F30000:1001", " F25:1", " F0:0"};
    static const char* const kAspects[] = {"", " A10:11", " A59:54", " A0:0"};
    static const int kHeights[] = {480, 486, 576};

    const int chosenHeight = kHeights[fuzz.ConsumeIntegralInRange(0, 2)];
    const char* chroma = kChromaTags[fuzz.ConsumeIntegralInRange(0, 9)];
    std::string header = "YUV4MPEG2 W720 H" + std::to_string(chosenHeight);
    header += kRates[fuzz.ConsumeIntegralInRange(0, 3)];
    header += kInterlace[fuzz.ConsumeIntegralInRange(0, 5)];
    header += kAspects[fuzz.ConsumeIntegralInRange(0, 3)];
    if (chroma) header += std::string(" C") + chroma;
    std::string extra = fuzz.ConsumeRandomLengthString(24);
    for (char& c : extra)
        if (c == '\n') c = ' ';
    if (!extra.empty()) header += " X" + extra;

    dvenc::Y4mHeader parsed;
    std::string error;
    // The extra tokens may break the header or override the tokens before them.
    if (!dvenc::ParseY4mHeader(header, &parsed, &error)) return;
    const int height = parsed.height;
    const size_t frameBytes = FrameBytes(ChromaTag(parsed), height);
    const int frames = fuzz.ConsumeIntegralInRange(1, 2);
    const size_t cut =
        fuzz.ConsumeBool() ? fuzz.ConsumeIntegralInRange<size_t>(1, frameBytes + 5) : 0;
    const std::vector<uint8_t> pattern = fuzz.ConsumeRemainingBytes<uint8_t>();

    std::string stream = header + "\n";
    for (int f = 0; f < frames; ++f) {
        stream += "FRAME\n";
        const size_t start = stream.size();
        stream.resize(start + frameBytes);
        for (size_t i = 0; i < frameBytes; ++i)
            stream[start + i] =
                char(pattern.empty() ? (i * 7 + f) & 0xFF : pattern[(i + f) % pattern.size()]);
    }
    stream.resize(stream.size() - cut);

    const int fd = StreamFile(stream);
    std::unique_ptr<dvenc::Y4mSource> source =
        dvenc::Y4mSource::Open("/proc/self/fd/" + std::to_string(fd), &error);
    Check(source != nullptr);
    const int expectedSize = height == 576 ? DVENC_FRAME_BYTES_625 : DVENC_FRAME_BYTES_525;
    std::vector<uint8_t> out(DVENC_MAX_FRAME_BYTES);
    int read = 0;
    dvenc::FrameSource::Result result;
    dvenc::SourceFrame frame;
    while ((result = source->Next(&frame, &error)) == dvenc::FrameSource::Result::kFrame) {
        ++read;
        Check(CompressBuffer_DV(frame.top, frame.pitch, out.data(), 0, 720, height, 0, 0,
                                frame.fourcc) == expectedSize);
        encdv::test::DecodedFrame decoded;
        Check(encdv::test::DecodeDvFrame(out.data(), size_t(expectedSize), decoded));
        Check(decoded.width == 720 && decoded.height == (height == 576 ? 576 : 480));
    }
    Check(read == (cut ? frames - 1 : frames));
    Check(result == (cut ? dvenc::FrameSource::Result::kError : dvenc::FrameSource::Result::kEnd));
    source.reset();
    close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        FuzzedDataProvider fuzz(data + 1, size - 1);
        FuzzBuiltStream(fuzz);
    } else {
        FuzzRawStream(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    }
    return 0;
}
