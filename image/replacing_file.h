// Writing a file without ever leaving a half-made one in its place: the bytes go to a new
// file beside the target, which is renamed over the target only once it is complete.
#pragma once

#include <cstdio>
#include <string>

class ReplacingFile {
public:
    explicit ReplacingFile(const std::string& target);
    // Removes the unfinished file unless Commit succeeded.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // The stream to write to; none when the file beside the target cannot be created.
    FILE* stream() const { return stream_; }
    // Closes the stream and moves the file into place; false when any write failed or the
    // rename did not happen (the target is then untouched).
    bool Commit();

private:
    std::string target_;
    std::string temp_;
    FILE* stream_ = nullptr;
    bool committed_ = false;
};
