#include "image/picture_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool LoadCostAllowed(uint64_t bytes, uint64_t fileBytes) {
    // No overflow: a file length stays far below 2^47.
    return bytes <= kLoadBaseBytes + kLoadBytesPerFileByte * fileBytes;
}

uint64_t LoadedPictureBytes(int bitCount, int64_t width, int64_t height) {
    if (width <= 0 || height <= 0)
        return 0;
    const auto rows = uint64_t(height);
    uint64_t bytes = uint64_t(DibStride(bitCount, int32_t(width))) * rows;
    if (bitCount <= 8)
        bytes += uint64_t(DibStride(24, int32_t(width))) * rows;
    return bytes;
}

FILE* OpenPictureFile(const std::string& path, uint64_t* size, LoadError* error) {
    // Not blocking: opening a pipe would otherwise wait for a writer that may never come.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = LoadError::NotFound;
        return nullptr;
    }
    struct stat info {};
    const bool stated = ::fstat(fd, &info) == 0;
    if (!stated || !S_ISREG(info.st_mode)) {
        *error = stated ? LoadError::NotAFile : LoadError::NotFound;
        ::close(fd);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        *error = LoadError::NotFound;
        return nullptr;
    }
    *size = uint64_t(info.st_size);
    *error = LoadError::None;
    return file;
}

LoadError CheckPictureFile(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return LoadError::NotFound;
    return S_ISREG(info.st_mode) ? LoadError::None : LoadError::NotAFile;
}
