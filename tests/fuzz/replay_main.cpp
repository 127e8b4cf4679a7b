// Runs a fuzz target without the engine: every file named on the command line, and every
// file below every folder named there, is handed to the target once, in name order. A
// crash aborts the run, so a ctest entry over the seeds and the saved regression inputs
// keeps every fault that was once found fixed. Exit 77 (skipped) when nothing was there.
#include "fuzz_support.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

std::vector<std::filesystem::path> InputsBelow(const std::filesystem::path& place) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    if (std::filesystem::is_regular_file(place, ec)) {
        files.push_back(place);
    } else if (std::filesystem::is_directory(place, ec)) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(place, ec))
            if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
    } else {
        std::fprintf(stderr, "not there, passed over: %s\n", place.c_str());
    }
    return files;
}

} // namespace

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    size_t replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& file : InputsBelow(argv[i])) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
            if (!in.eof() && in.fail()) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 1;
            }
            // A copy of exactly the input's length, so that reading past it is caught.
            std::vector<uint8_t> input(bytes.begin(), bytes.end());
            static const uint8_t kNothing = 0;
            LLVMFuzzerTestOneInput(input.empty() ? &kNothing : input.data(), input.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    return replayed == 0 ? 77 : 0;
}
