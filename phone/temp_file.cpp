#include "phone/temp_file.h"

#include "phone/temp_file_cleanup.h"

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

std::string TempFolder() {
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : folder.string();
}

std::string CreateTempFile(const std::string& prefix, const std::string& suffix) {
    std::string pattern =
        (std::filesystem::path(TempFolder()) / (prefix + "XXXXXX" + suffix)).string();
    const int fd = ::mkstemps(pattern.data(), int(suffix.size()));
    if (fd < 0)
        return {};
    ::close(fd);
    AddTempFileToRemove(pattern);
    return pattern;
}
