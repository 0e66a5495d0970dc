#include "readers.h"

#include <gtest/gtest.h>

#ifdef ENC_DV_HAVE_LIBDV
#include <libdv/dv.h>
#endif

namespace dvenc_test {

namespace {

std::string FileText(const ScratchDir& dir, const std::string& name) {
    const std::vector<uint8_t> bytes = dir.Read(name);
    return std::string(bytes.begin(), bytes.end());
}

std::string Base64Decoded(const std::string& text) {
    static const std::string kDigits =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    int bits = 0, value = 0;
    for (const char c : text) {
        const size_t digit = kDigits.find(c);
        if (digit == std::string::npos) continue;
        value = (value << 6 | static_cast<int>(digit)) & 0xFFFF;  // the bits not yet taken
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>(value >> bits & 0xFF);
        }
    }
    return out;
}

}  // namespace

bool HaveProgram(const ScratchDir& dir, const char* name) {
    return dir.Shell(std::string("command -v ") + name + " >/dev/null").exitCode == 0;
}

#ifdef ENC_DV_HAVE_LIBDV
bool HaveLibdv() {
    return true;
}

std::vector<LibdvFrame> ReadWithLibdv(const std::vector<uint8_t>& dv, size_t frameBytes) {
    std::vector<LibdvFrame> frames;
    dv_decoder_t* decoder = dv_decoder_new(0, 0, 0);
    std::vector<int16_t> channels[4];
    int16_t* out[4];
    for (int i = 0; i < 4; ++i) {
        channels[i].resize(2000);
        out[i] = channels[i].data();
    }
    for (size_t at = 0; at + frameBytes <= dv.size(); at += frameBytes) {
        LibdvFrame f;
        EXPECT_GE(dv_parse_header(decoder, dv.data() + at), 0);
        dv_parse_packs(decoder, dv.data() + at);
        // libdv decodes no sound in the SMPTE 314M form (audio application ID 001).
        f.samples =
            dv_decode_full_audio(decoder, dv.data() + at, out) ? dv_get_num_samples(decoder) : 0;
        f.frequency = dv_get_frequency(decoder);
        f.left.assign(channels[0].begin(), channels[0].begin() + f.samples);
        f.right.assign(channels[1].begin(), channels[1].begin() + f.samples);
        f.channels = f.samples ? dv_get_num_channels(decoder) : 0;
        f.third.assign(channels[2].begin(), channels[2].begin() + f.samples);
        f.fourth.assign(channels[3].begin(), channels[3].begin() + f.samples);
        char text[64] = {};
        dv_get_timestamp(decoder, text);
        f.timecode = text;
        if (dv_get_recording_datetime(decoder, text)) f.date = text;
        frames.push_back(f);
    }
    dv_decoder_free(decoder);
    return frames;
}
#else
bool HaveLibdv() {
    return false;
}

std::vector<LibdvFrame> ReadWithLibdv(const std::vector<uint8_t>&, size_t) {
    return {};
}
#endif

std::string MediaInfoField(const ScratchDir& dir, const std::string& file,
                           const std::string& inform) {
    EXPECT_EQ(dir.Shell("mediainfo '--Inform=" + inform + "' " + file + " > field.txt").exitCode,
              0);
    std::string text = FileText(dir, "field.txt");
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string MediaInfoDifAnalysis(const ScratchDir& dir, const std::string& file) {
    EXPECT_EQ(
        dir.Shell("mediainfo --Output=XML --File_DvDif_Analysis=1 " + file + " > analysis.xml")
            .exitCode,
        0);
    const std::string xml = FileText(dir, "analysis.xml");
    const std::string open = "<Errors_Stats_End";
    const size_t at =
        xml.find(open + " ") != std::string::npos ? xml.find(open + " ") : xml.find(open + ">");
    if (at == std::string::npos) return "no analysis in MediaInfo's report";
    const size_t start = xml.find('>', at) + 1;
    const std::string value = xml.substr(start, xml.find('<', start) - start);
    const bool encoded =
        xml.compare(at, xml.find('>', at) - at, open + " dt=\"binary.base64\"") == 0;
    return encoded ? Base64Decoded(value) : value;
}

}  // namespace dvenc_test
