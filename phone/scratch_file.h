// A private file in the user's temporary folder that is rewritten in place many times and
// deleted at the end. Rewriting in place keeps each write cheap: replacing or truncating a
// file to zero makes some file systems flush it first.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class ScratchFile {
public:
    // Creates prefix + six unique characters in the temporary folder; it is removed should
    // the program be told to stop (phone/temp_file_cleanup.h).
    explicit ScratchFile(const std::string& prefix);
    // Closes and deletes the file.
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Empty when the file could not be created.
    const std::string& path() const { return path_; }

    // The stream positioned at the start for a new content; none without a file.
    FILE* Begin();
    // Cuts the file to what was written since Begin; its size in bytes, or -1 when the
    // write failed (the content is then undefined).
    int64_t End(bool written);

    // The system's error number when the file could not be created or the last content not
    // be stored (a full disk, say); 0 otherwise.
    int error() const { return error_; }
    // Replaces the file by a new one in `folder`; false (the file stays where it was) when
    // none can be made there.
    bool MoveTo(const std::string& folder);

private:
    // A new file in the folder; false and error_ set when it cannot be made.
    bool Create(const std::string& folder);
    void Close();

    std::string prefix_;
    std::string path_;
    FILE* stream_ = nullptr;
    int error_ = 0;
};
