#include "fuzz_support.h"

#include "image/picture_file.h"
#include "image/sampled_picture.h"
#include "image/transform.h"
#include "phone/selection.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MOKOA_HEAP_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MOKOA_HEAP_HOOKS 1
#endif

#ifdef MOKOA_HEAP_HOOKS
// The sanitizer runtime's allocator interface (declared here: not every compiler ships the
// header).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void*);
#endif

namespace fuzzsupport {

namespace {

#ifdef MOKOA_HEAP_HOOKS
// Heap bytes taken since counting began, and their peak; the readers run on one thread.
bool g_counting = false;
int64_t g_heap = 0;
int64_t g_peak = 0;

void CountMalloc(const volatile void*, size_t size) {
    if (g_counting) {
        g_heap += int64_t(size);
        g_peak = std::max(g_peak, g_heap);
    }
}

void CountFree(const volatile void* block) {
    if (g_counting && block)
        g_heap -= int64_t(__sanitizer_get_allocated_size(block));
}
#endif

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

void CheckLoadCost(size_t fileBytes, const std::function<void()>& load) {
#ifdef MOKOA_HEAP_HOOKS
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks(CountMalloc, CountFree) != 0;
    g_heap = g_peak = 0;
    g_counting = installed;
    load();
    g_counting = false;
    if (!LoadCostAllowed(uint64_t(g_peak), fileBytes)) {
        std::fprintf(stderr, "reading %zu bytes took %lld bytes of heap\n", fileBytes,
                     static_cast<long long>(g_peak));
        Fail("a load took more memory than a file of its size may cost");
    }
#else
    (void)fileBytes;
    load();
#endif
}

void CheckLoaded(const PackedDib* picture, LoadError why, bool paletteWidened) {
    // A truncated file is the one reason that comes with a picture.
    if (!picture != (why != LoadError::None && why != LoadError::Truncated))
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

void CheckSampledLoad(const std::string& path, size_t fileBytes, const PackedDib* picture,
                      LoadError why) {
    PictureInfo info;
    const bool header = ReadPictureInfo(path, &info);
    if (!picture)
        return;
    if (!header || info.width != DibWidth(picture) || info.height != DibHeight(picture))
        Fail("the header tells another size than the picture loads at");
    DibPtr wide(DibConvertDepth(picture, 24));
    if (!wide)
        return;
    const ImageRect whole{0, 0, DibWidth(picture), DibHeight(picture)};
    SampledPicture samples(ClassicSampleGrid(whole.right, whole.bottom, whole, 24, 32));
    LoadError sampledWhy = LoadError::None;
    bool sampled = false;
    CheckLoadCost(fileBytes, [&] { sampled = LoadPictureSamples(path, &samples, &sampledWhy); });
    if (!sampled || sampledWhy != why)
        Fail("reading some rows fails or says otherwise where the whole picture loads");
    DibPtr fromSamples(DibCreate(24, 24, 32)), fromWhole(DibCreate(24, 24, 32));
    if (!ResampleSampled(fromSamples.get(), samples, whole) ||
        !ResampleImage(fromWhole.get(), 0, 0, -1, -1, wide.get(), 0, 0, -1, -1) ||
        std::memcmp(DibBits(fromSamples.get()), DibBits(fromWhole.get()),
                    DibPixelBytes(fromWhole.get())) != 0)
        Fail("the rows read alone resample otherwise than the whole picture");
}

void Fail(const char* why) {
    std::fprintf(stderr, "fuzz target: %s\n", why);
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzzsupport
