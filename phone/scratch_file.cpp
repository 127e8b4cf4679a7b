#include "phone/scratch_file.h"

#include "phone/temp_file.h"
#include "phone/temp_file_cleanup.h"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

ScratchFile::ScratchFile(const std::string& prefix) {
    std::string pattern = (std::filesystem::path(TempFolder()) / (prefix + "XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return;
    stream_ = ::fdopen(fd, "w+b");
    if (!stream_) {
        ::close(fd);
        ::unlink(pattern.c_str());
        return;
    }
    path_ = pattern;
    AddTempFileToRemove(path_);
}

ScratchFile::~ScratchFile() {
    if (stream_)
        std::fclose(stream_);
    RemoveTempFile(path_);
}

FILE* ScratchFile::Begin() {
    if (!stream_)
        return nullptr;
    std::clearerr(stream_);
    std::rewind(stream_);
    return stream_;
}

int64_t ScratchFile::End(bool written) {
    if (!stream_)
        return -1;
    const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const long length = std::ftell(stream_);
    if (!written || !flushed || length < 0 || ::ftruncate(::fileno(stream_), length) != 0)
        return -1;
    // The size as the file system reports it.
    struct stat st;
    if (::fstat(::fileno(stream_), &st) != 0)
        return -1;
    return int64_t(st.st_size);
}
