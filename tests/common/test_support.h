// Helpers shared by the test executables.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace testsupport {

// The shared pictures folder handed in by the build (MOKOA_TESTDATA), or empty.
std::filesystem::path TestDataDir();

// A folder of the shared pictures, or empty when it is not there.
std::filesystem::path TestDataPath(const std::string& relative);

// A program of the build (MOKOA_BIN_DIR, else the folder of the running test), or empty when
// it is not there.
std::filesystem::path ProgramPath(const std::string& name);

// A fresh folder removed again with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Whole file contents.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

} // namespace testsupport

// Skips the current test with a clear message when a shared pictures folder is absent.
#define MOKOA_REQUIRE_TESTDATA(var, relative)                                                    \
    const std::filesystem::path var = ::testsupport::TestDataPath(relative);                   \
    if (var.empty())                                                                           \
    GTEST_SKIP() << "shared test pictures not found: " << (relative)                           \
                 << " (set MOKOA_TESTDATA to the testdata folder)"
