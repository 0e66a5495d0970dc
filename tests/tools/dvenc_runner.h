// Running the built dvenc program from tests: a scratch directory, the command line through
// the shell, and what came back.
#ifndef ENC_DV_TESTS_TOOLS_DVENC_RUNNER_H
#define ENC_DV_TESTS_TOOLS_DVENC_RUNNER_H

#include <cstdint>
#include <string>
#include <vector>

namespace dvenc_test {

// The program under test: $ENC_DV_TEST_BINARY_DIR/tools/dvenc, or in a cross build the
// wrapper $ENC_DV_TEST_BINARY_DIR/tests/emulated/dvenc that runs it under the emulator.
std::string DvencPath();
// Any program the build made, by its path under the build directory (such as
// "tests/readme_example"): in a cross build, its emulator wrapper under tests/emulated.
std::string BuiltProgramPath(const std::string& relativePath);

struct RunResult {
    int exitCode = -1;   // -1 when the program did not exit normally (a crash)
    std::string errors;  // what it wrote to standard error
};

// A fresh directory, removed with its contents at the end of the test.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    void Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    std::vector<uint8_t> Read(const std::string& name) const;

    // Runs "dvenc <arguments>" through sh in this directory; redirections may be part of the
    // arguments. Standard error is captured unless the arguments redirect it.
    RunResult Dvenc(const std::string& arguments) const;
    // Runs any shell command here, with dvenc's path in $DVENC.
    RunResult Shell(const std::string& command) const;

  private:
    std::string path_;
};

}  // namespace dvenc_test

#endif
