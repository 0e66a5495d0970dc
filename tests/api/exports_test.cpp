#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string BinaryDir() {
    const char* dir = std::getenv("ENC_DV_TEST_BINARY_DIR");
    return dir ? dir : "";
}

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return output;
    }
    std::array<char, 512> chunk;
    while (fgets(chunk.data(), chunk.size(), pipe)) output += chunk.data();
    *status = pclose(pipe);
    return output;
}

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

TEST(SharedLibrary, ExportsExactlyThePublicEntryPoints) {
    if (BinaryDir().empty()) GTEST_SKIP() << "ENC_DV_TEST_BINARY_DIR is set by ctest";
    int status = 0;
    const std::string symbols =
        RunCommand("nm -D --defined-only '" + BinaryDir() + "/enc_dv/libenc_dv.so'", &status);
    ASSERT_EQ(status, 0) << symbols;
    std::set<std::string> names;
    std::istringstream lines(symbols);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) names.insert(name);
    }
    const std::set<std::string> expected = {
        "InitDVEnc",         "DVNewEnc",         "DVDoneEnc",          "DVCompressBuffer",
        "CompressBuffer_DV", "DVEncGetAPIExt",   "DVEncWriteTimecode", "DVEncWriteRecordingDate",
        "DVEncWriteAudio",   "DVEncAudioSamples", "DVEncReadRecordingDate"};
    EXPECT_EQ(names, expected);
}

TEST(SharedLibrary, InstallsAPackageThatACProgramCanUseThroughPkgConfig) {
    if (BinaryDir().empty()) GTEST_SKIP() << "ENC_DV_TEST_BINARY_DIR is set by ctest";
    char prefixTemplate[] = "/tmp/enc_dv_install_XXXXXX";
    ASSERT_NE(mkdtemp(prefixTemplate), nullptr);
    const std::string prefix = prefixTemplate;
    // The library directory's own install script installs what the library ships.
    int status = 0;
    std::string log = RunCommand("cmake -DCMAKE_INSTALL_PREFIX='" + prefix + "' -P '" +
                                     BinaryDir() + "/enc_dv/cmake_install.cmake' 2>&1",
                                 &status);
    ASSERT_EQ(status, 0) << log;
    EXPECT_TRUE(IsFile(prefix + "/include/enc_dv.h"));

    const std::string pkgConfig =
        "PKG_CONFIG_LIBDIR= PKG_CONFIG_PATH='" + prefix + "/lib/pkgconfig' pkg-config ";
    std::string libdir = RunCommand(pkgConfig + "--variable=libdir enc_dv", &status);
    ASSERT_EQ(status, 0) << "no usable lib/pkgconfig/enc_dv.pc";
    libdir.erase(libdir.find_last_not_of("\n") + 1);
    EXPECT_TRUE(IsFile(libdir + "/libenc_dv.so")) << libdir;
    EXPECT_TRUE(IsFile(prefix + "/lib/libenc_dv.so"));

    // A C program built only with the installed header and pkg-config's flags runs.
    {
        std::ofstream program(prefix + "/probe.c");
        program << "#include <enc_dv.h>\n#include <stdio.h>\n"
                   "int main(void) {\n"
                   "    char text[16] = {0};\n"
                   "    DVEncQueryInfoFunction query = DVEncGetAPIExt(DVENC_API_QUERY_INFO);\n"
                   "    DVEncoderHandle* handle = DVNewEnc();\n"
                   "    if (!query || !handle || query(DVENC_QUERY_VERSION, text)) return 1;\n"
                   "    DVDoneEnc(handle);\n"
                   "    puts(text);\n"
                   "    return 0;\n}\n";
    }
    log = RunCommand("cc -std=c99 -Wall -Werror -o '" + prefix + "/probe' '" + prefix +
                         "/probe.c' $(" + pkgConfig + "--cflags --libs enc_dv) 2>&1",
                     &status);
    ASSERT_EQ(status, 0) << log;
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // A sanitized library needs its runtime loaded first; the plain probe cannot run it.
    RunCommand("rm -rf '" + prefix + "'", &status);
    return;
#endif
    const std::string printed =
        RunCommand("LD_LIBRARY_PATH='" + libdir + "' '" + prefix + "/probe'", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(printed, "8.5.0.19970\n");
    RunCommand("rm -rf '" + prefix + "'", &status);
}

}  // namespace
