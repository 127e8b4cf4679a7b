#include "common/test_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string out;
};

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs mokoa-convert with the arguments; standard error is dropped.
ToolRun Convert(const std::vector<std::string>& args) {
    const fs::path tool = testsupport::ProgramPath("mokoa-convert");
    if (tool.empty())
        ADD_FAILURE() << "mokoa-convert not found beside the tests (or in MOKOA_BIN_DIR)";
    std::string command = Quote(tool.string());
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " 2>/dev/null";
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(InfoCommand, EveryGoodBmpLoads) {
    MOKOA_REQUIRE_TESTDATA(dir, "bmpsuite/g");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(dir))
        files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    const ToolRun run = Convert([&] {
        std::vector<std::string> args{"--info"};
        args.insert(args.end(), files.begin(), files.end());
        return args;
    }());
    EXPECT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = fs::path(files[i]).filename().string();
        // The widths of the suite are 124 to 127 pixels, the depth 16, 24 or 32 bits.
        const std::string size = name.rfind("pal8w", 0) == 0   ? name.substr(5, 3) + "x"
                                 : name == "pal8nonsquare.bmp" ? "127x32"
                                                               : "127x64";
        EXPECT_EQ(lines[i].rfind(files[i] + ": " + size, 0), 0u) << lines[i];
        const int bits = name.rfind("rgb16", 0) == 0 ? 16 : name.rfind("rgb32", 0) == 0 ? 32 : 24;
        EXPECT_NE(lines[i].find(", " + std::to_string(bits) + " bits"), std::string::npos)
            << lines[i];
    }
}

TEST(InfoCommand, FailuresAreNamedInOrderAndSetTheStatus) {
    MOKOA_REQUIRE_TESTDATA(photo, "photos/kite-2560x1600.jpg");
    testsupport::TempDir dir;
    testsupport::WriteFileBytes(dir.file("broken.png"), "\x89PNG\r\n\x1a\n and nothing else");
    testsupport::WriteFileBytes(dir.file("README"), "text");
    testsupport::WriteFileBytes(dir.file("picture.xyz"), "text");
    const ToolRun run =
        Convert({"--info", dir.file("absent.bmp"), photo.string(), dir.file("broken.png"),
                 dir.file("README"), dir.file("picture.xyz")});
    EXPECT_EQ(run.status, 1);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 5u) << run.out;
    EXPECT_EQ(lines[0], dir.file("absent.bmp") + ": file missing or unreadable");
    EXPECT_EQ(lines[1], photo.string() + ": 2560x1600, 24 bits");
    EXPECT_EQ(lines[2], dir.file("broken.png") + ": damaged file");
    EXPECT_EQ(lines[3], dir.file("README") + ": the file name has no extension");
    EXPECT_EQ(lines[4], dir.file("picture.xyz") + ": unsupported format");
}

TEST(InfoCommand, UsageAndHelp) {
    const ToolRun help = Convert({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--info FILE..."), std::string::npos);
    EXPECT_EQ(Convert({}).status, 2);
    EXPECT_EQ(Convert({"--info"}).status, 2);
    EXPECT_EQ(Convert({"--frobnicate"}).status, 2);
}

} // namespace
