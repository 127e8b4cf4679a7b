#include "fuzz_support.h"

#include "phone/selection.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

namespace fuzzsupport {

namespace {

std::string ScratchRoot() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    return std::filesystem::temp_directory_path().string();
}

} // namespace

ScratchFile::ScratchFile(const std::string& name) {
    std::string pattern = ScratchRoot() + "/mokoa-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a scratch folder");
    folder_ = pattern;
    path_ = folder_ + "/" + name;
}

ScratchFile::~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

const std::string& ScratchFile::Write(const uint8_t* data, size_t size) {
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        Fail("cannot write the scratch file");
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            Fail("cannot write the scratch file");
        done += size_t(n);
    }
    ::close(fd);
    return path_;
}

void CheckLoaded(const PackedDib* picture, LoadError why, bool paletteWidened) {
    if (!picture != (why != LoadError::None))
        Fail("the load result and its reason disagree");
    if (picture && paletteWidened && DibBitCount(picture) <= 8)
        Fail("a palette picture was not widened");
}

void UseAsSourcePicture(const PackedDib* picture) {
    if (!picture)
        return;
    if (DibWidth(picture) <= 0 || DibHeight(picture) <= 0)
        Fail("a picture without pixels was returned");
    DibPtr wide;
    if (DibBitCount(picture) != 24) {
        wide = DibConvertDepth(picture, 24);
        if (!wide)
            return; // out of memory: the view stays empty
        picture = wide.get();
    }
    if (DibBitCount(picture) != 24 || DibWidth(picture) <= 0 || DibHeight(picture) <= 0)
        Fail("widening gave no 24-bit picture");
    const ImageRect whole{0, 0, DibWidth(picture), DibHeight(picture)};
    // A small tall screen with the aspect lock on, and the unlocked fit: the geometry of
    // every phone, and fewer samples leave more time for the parsers.
    for (const bool lock : {true, false}) {
        DibPtr base = MakeBaseImage(picture, whole, 24, 32, lock);
        if (!base || DibBitCount(base.get()) != 24 || DibWidth(base.get()) > 24 ||
            DibHeight(base.get()) > 32)
            Fail("no base image of the screen size");
    }
}

void Fail(const char* why) {
    std::fprintf(stderr, "fuzz target: %s\n", why);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzsupport
