#include "image/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_sequence{0};

// Saving over a link replaces what it points to, not the link.
std::string Resolved(const std::string& target) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            return resolved.string();
    }
    return target;
}

bool ReadAll(int fd, std::string* bytes) {
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        bytes->append(chunk, size_t(n));
    }
}

bool WriteAllAt(int fd, const char* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// Makes sure `size` bytes fit in the file before its old bytes are overwritten.
bool ReserveRoom(int fd, size_t oldSize, size_t size) {
    if (size <= oldSize)
        return true;
    const int reserved = ::posix_fallocate(fd, 0, off_t(size));
    if (reserved == 0)
        return true;
    if (reserved != EOPNOTSUPP && reserved != EINVAL) {
        errno = reserved;
        return false;
    }
    // A file system that cannot reserve: judge by its free space, with a margin.
    struct statvfs fs {};
    if (::fstatvfs(fd, &fs) != 0)
        return false;
    const unsigned long long available = static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize;
    if (available < size - oldSize + (1u << 20)) {
        errno = ENOSPC;
        return false;
    }
    return true;
}

} // namespace

ReplaceTarget CheckReplaceTarget(const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0)
        return ReplaceTarget::Writable; // to be created
    if (!S_ISREG(st.st_mode))
        return ReplaceTarget::NotAFile;
    // A file without any write permission is meant read-only, even for the superuser.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)
        return ReplaceTarget::ReadOnly;
    return ReplaceTarget::Writable;
}

ReplacingFile::ReplacingFile(const std::string& target) : target_(Resolved(target)) {
    switch (CheckReplaceTarget(target_)) {
    case ReplaceTarget::Writable:
        break;
    case ReplaceTarget::ReadOnly:
        errno = EACCES;
        return;
    case ReplaceTarget::NotAFile:
        errno = EISDIR;
        return;
    }
    namespace fs = std::filesystem;
    const fs::path path(target_);
    const fs::path folder = path.parent_path();
    const std::string base = path.filename().string();

    struct stat existing {};
    const bool replacing = ::stat(target_.c_str(), &existing) == 0;
    // A rename would leave another name linked to the file with the old bytes.
    bool inPlace = replacing && existing.st_nlink > 1;
    for (int attempt = 0; attempt < 100 && !inPlace; ++attempt) {
        const std::string name = "." + base + "." + std::to_string(::getpid()) + "." +
                                 std::to_string(g_sequence.fetch_add(1)) + ".part";
        const std::string candidate = folder.empty() ? name : (folder / name).string();
        // 0666 lets the umask decide, as for a file created directly.
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            // A folder we may not write in: the file itself we may.
            inPlace = replacing && (errno == EACCES || errno == EPERM);
            if (inPlace)
                break;
            return;
        }
        if (replacing) {
            (void)::fchmod(fd, existing.st_mode & 07777);
            // The new file must keep the old one's owner; where we cannot give it, the
            // bytes go into the old file instead.
            if ((existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) &&
                ::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
                ::close(fd);
                ::unlink(candidate.c_str());
                inPlace = true;
                break;
            }
        }
        stream_ = ::fdopen(fd, "wb");
        if (!stream_) {
            ::close(fd);
            ::unlink(candidate.c_str());
            return;
        }
        temp_ = candidate;
        return;
    }
    if (inPlace) {
        inPlace_ = true;
        stream_ = ::open_memstream(&buffer_, &bufferSize_);
    }
}

ReplacingFile::~ReplacingFile() {
    if (stream_)
        std::fclose(stream_);
    std::free(buffer_);
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
    if (inPlace_)
        return committed_ = CommitInPlace();
    if (std::rename(temp_.c_str(), target_.c_str()) != 0)
        return false;
    committed_ = true;
    return true;
}

// Writes the gathered bytes over the target's own: room reserved first, so a full disk
// stops us before anything is overwritten, and the old bytes put back should a write fail.
bool ReplacingFile::CommitInPlace() {
    const int fd = ::open(target_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    std::string old;
    if (!ReadAll(fd, &old)) {
        const int why = errno;
        ::close(fd);
        errno = why;
        return false;
    }
    if (!ReserveRoom(fd, old.size(), bufferSize_)) {
        const int why = errno;
        (void)::ftruncate(fd, off_t(old.size()));
        ::close(fd);
        errno = why;
        return false;
    }
    if (!WriteAllAt(fd, buffer_, bufferSize_) || ::ftruncate(fd, off_t(bufferSize_)) != 0) {
        const int why = errno;
        (void)WriteAllAt(fd, old.data(), old.size());
        (void)::ftruncate(fd, off_t(old.size()));
        ::close(fd);
        errno = why;
        return false;
    }
    return ::close(fd) == 0;
}
