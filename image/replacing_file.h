// Writing a file without ever leaving a half-made one in its place. Normally the bytes go to
// a new file beside the target, which is renamed over the target only once it is complete.
// Where that would change what the target is (another name linked to it, an owner we cannot
// give the new file) or cannot be done (a folder we may not write in), the complete bytes are
// written into the target itself, with the room for them reserved first and the old bytes
// put back if writing fails. A target that is read-only or not a regular file is refused.
#pragma once

#include <cstdio>
#include <string>

// What a write to `target` would meet, checked before any bytes are made.
enum class ReplaceTarget {
    Writable, // absent (to be created) or a regular file we may write
    ReadOnly, // a file without write permission for us
    NotAFile, // a folder, pipe or device
};
ReplaceTarget CheckReplaceTarget(const std::string& target);

class ReplacingFile {
public:
    explicit ReplacingFile(const std::string& target);
    // Removes the unfinished file unless Commit succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The stream to write to; none when the target is refused or nothing can be written
    // (errno tells why).
    FILE* stream() const { return stream_; }
    // Puts the bytes in place; false when any write failed or they could not be put in place
    // (the target is then as it was, and errno tells why).
    bool Commit();

private:
    bool CommitInPlace();

    std::string target_;
    std::string temp_;
    FILE* stream_ = nullptr;
    bool committed_ = false;
    // In place: the bytes gather in memory until Commit.
    bool inPlace_ = false;
    char* buffer_ = nullptr;
    size_t bufferSize_ = 0;
};
