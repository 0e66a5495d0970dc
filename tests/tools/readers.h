// Independent readers of DV files for the dvenc tests: libdv linked in (when built with it),
// and MediaInfo run as a program.
#ifndef ENC_DV_TESTS_TOOLS_READERS_H
#define ENC_DV_TESTS_TOOLS_READERS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dvenc_runner.h"

namespace dvenc_test {

bool HaveProgram(const ScratchDir& dir, const char* name);

// What libdv reads from each frame: the sample count and rate, both channels' samples, the
// time code ("HH:MM:SS.FF") and the recording date and time ("YYYY-MM-DD HH:MM:SS", empty
// when none); no samples where libdv decodes no sound. Empty when the tests were built
// without libdv.
struct LibdvFrame {
    int samples = 0;
    int frequency = 0;
    int channels = 0;
    // third and fourth: the second channel pair of four-channel sound, which libdv mixes
    // into left and right
    std::vector<int16_t> left, right, third, fourth;
    std::string timecode;
    std::string date;
};
bool HaveLibdv();
std::vector<LibdvFrame> ReadWithLibdv(const std::vector<uint8_t>& dv, size_t frameBytes);

// A field of MediaInfo's report ("Video;%TimeCode_FirstFrame%"), without the line end.
std::string MediaInfoField(const ScratchDir& dir, const std::string& file,
                           const std::string& inform);
// The closing summary of MediaInfo's DIF analysis of a file (--File_DvDif_Analysis=1), as
// text: "No identified errors" when it found none.
std::string MediaInfoDifAnalysis(const ScratchDir& dir, const std::string& file);

}  // namespace dvenc_test

#endif
