#include "phone/scratch_file.h"

#include "phone/temp_file.h"
#include "phone/temp_file_cleanup.h"

#include <cerrno>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

ScratchFile::ScratchFile(const std::string& prefix) : prefix_(prefix) {
    Create(TempFolder());
}

bool ScratchFile::Create(const std::string& folder) {
    std::string pattern = (std::filesystem::path(folder) / (prefix_ + "XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        error_ = errno;
        return false;
    }
    FILE* stream = ::fdopen(fd, "w+b");
    if (!stream) {
        error_ = errno;
        ::close(fd);
        ::unlink(pattern.c_str());
        return false;
    }
    Close();
    stream_ = stream;
    path_ = pattern;
    error_ = 0;
    AddTempFileToRemove(path_);
    return true;
}

void ScratchFile::Close() {
    if (stream_)
        std::fclose(stream_);
    stream_ = nullptr;
    RemoveTempFile(path_);
    path_.clear();
}

ScratchFile::~ScratchFile() {
    Close();
}

bool ScratchFile::MoveTo(const std::string& folder) {
    const int before = error_;
    if (Create(folder))
        return true;
    if (stream_)
        error_ = before;
    return false;
}

FILE* ScratchFile::Begin() {
    if (!stream_)
        return nullptr;
    std::clearerr(stream_);
    std::rewind(stream_);
    errno = 0; // so that End can tell why a write failed
    return stream_;
}

int64_t ScratchFile::End(bool written) {
    if (!stream_)
        return -1;
    const bool flushed = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const long length = std::ftell(stream_);
    if (!written || !flushed || length < 0 || ::ftruncate(::fileno(stream_), length) != 0) {
        // A stream that failed to store its bytes, rather than an encoder that gave up.
        if (std::ferror(stream_) || !flushed || length < 0)
            error_ = errno != 0 ? errno : EIO;
        return -1;
    }
    error_ = 0;
    // The size as the file system reports it.
    struct stat st;
    if (::fstat(::fileno(stream_), &st) != 0)
        return -1;
    return int64_t(st.st_size);
}
