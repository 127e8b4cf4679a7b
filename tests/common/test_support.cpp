#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

namespace testsupport {

std::filesystem::path TestDataDir() {
    const char* dir = std::getenv("MOKOA_TESTDATA");
    return dir ? std::filesystem::path(dir) : std::filesystem::path();
}

std::filesystem::path ProgramPath(const std::string& name) {
    std::error_code ec;
    const char* dir = std::getenv("MOKOA_BIN_DIR");
    // The programs are built into the same folder as the tests.
    const std::filesystem::path folder =
        dir ? std::filesystem::path(dir)
            : std::filesystem::read_symlink("/proc/self/exe", ec).parent_path();
    const std::filesystem::path program = folder / name;
    return !ec && std::filesystem::exists(program, ec) ? program : std::filesystem::path();
}

std::filesystem::path TestDataPath(const std::string& relative) {
    const std::filesystem::path dir = TestDataDir();
    if (dir.empty())
        return {};
    std::filesystem::path p = dir / relative;
    std::error_code ec;
    return std::filesystem::exists(p, ec) ? p : std::filesystem::path();
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "mokoa-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

} // namespace testsupport
