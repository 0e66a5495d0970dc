#include "dvenc_runner.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace dvenc_test {

std::string BuiltProgramPath(const std::string& relativePath) {
    const char* root = std::getenv("ENC_DV_TEST_BINARY_DIR");
    const std::string binaryDir = root ? root : ".";
    // A cross build leaves a wrapper that runs the program under its emulator.
    const std::string emulated =
        binaryDir + "/tests/emulated/" + std::filesystem::path(relativePath).filename().string();
    if (std::filesystem::exists(emulated)) return emulated;
    return binaryDir + "/" + relativePath;
}

std::string DvencPath() {
    return BuiltProgramPath("tools/dvenc");
}

ScratchDir::ScratchDir() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/dvenc-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "cannot make a scratch directory";
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDir::Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary).write(bytes.data(), bytes.size());
}

void ScratchDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(File(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<uint8_t> ScratchDir::Read(const std::string& name) const {
    std::ifstream in(File(name), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

RunResult ScratchDir::Shell(const std::string& command) const {
    const std::string errors = File(".stderr");
    const std::string line = "cd '" + path_ + "' && DVENC='" + DvencPath() +
                             "' && export DVENC && { " + command + " ; } 2>'" + errors + "'";
    const int status = std::system(line.c_str());
    RunResult result;
    if (status != -1 && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    const std::vector<uint8_t> text = Read(".stderr");
    result.errors.assign(text.begin(), text.end());
    return result;
}

RunResult ScratchDir::Dvenc(const std::string& arguments) const {
    return Shell("\"$DVENC\" " + arguments);
}

}  // namespace dvenc_test
