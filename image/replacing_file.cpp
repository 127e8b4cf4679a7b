#include "image/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_sequence{0};

} // namespace

ReplacingFile::ReplacingFile(const std::string& target) : target_(target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    // Saving over a link replaces what it points to, not the link.
    if (fs::is_symlink(target_, ec)) {
        const fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec)
            target_ = resolved.string();
    }
    const fs::path path(target_);
    const fs::path folder = path.parent_path();
    const std::string base = path.filename().string();

    struct stat existing;
    const bool replacing = ::stat(target_.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = "." + base + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(g_sequence.fetch_add(1)) + ".part";
        const std::string candidate = folder.empty() ? name : (folder / name).string();
        // 0666 lets the umask decide, as for a file created directly.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return;
        }
        if (replacing)
            (void)::fchmod(fd, existing.st_mode & 07777);
        stream_ = ::fdopen(fd, "wb");
        if (!stream_) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return;
        }
        temp_ = candidate;
        return;
    }
}

ReplacingFile::~ReplacingFile() {
    if (stream_)
        std::fclose(stream_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

bool ReplacingFile::Commit() {
    if (!stream_)
        return false;
    const bool written = std::fflush(stream_) == 0 && !std::ferror(stream_);
    const bool closed = std::fclose(stream_) == 0;
    stream_ = nullptr;
    if (!written || !closed)
        return false;
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        return false;
    committed_ = true;
    return true;
}
