// A JPEG file, as the Open command reads it and as the output read back after writing.
#include "fuzz_support.h"

#include "image/loaders.h"
#include "image/resampling.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ScratchFile file("picture.jpg");
    LoadError why = LoadError::None;
    const std::string& path = file.Write(data, size);
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] { picture = ReadJpegFile(path, nullptr, &why); });
    fuzzsupport::CheckLoaded(picture.get(), why, false);
    if (picture && DibBitCount(picture.get()) != 8 && DibBitCount(picture.get()) != 24)
        fuzzsupport::Fail("a JPEG picture came out at another depth than 8 or 24");
    fuzzsupport::UseAsSourcePicture(picture.get());
    fuzzsupport::CheckSampledLoad(path, size, picture.get(), why);

    // At an eighth of its size, as area means read a big shrink: no dearer, an eighth of the
    // whole picture each way, and area means of all of it from there. Big pictures are left
    // out: their decodes would slow the search down more than they add.
    if (!picture || uint64_t(picture->width) * uint64_t(picture->height) > (uint64_t(1) << 22))
        return 0;
    DibPtr reduced;
    fuzzsupport::CheckLoadCost(size, [&] { reduced = ReadJpegReduced(path, 8); });
    if (reduced && DibBitCount(reduced.get()) != 24)
        fuzzsupport::Fail("a reduced JPEG picture came out at another depth than 24");
    if (reduced) {
        if (reduced->width != (picture->width + 7) / 8 ||
            reduced->height != (picture->height + 7) / 8)
            fuzzsupport::Fail("the reduced picture is not an eighth of the whole one");
        DibPtr base(
            DibCreate(24, std::max(1, picture->width / 8), std::max(1, picture->height / 8)));
        const ImageRect whole{0, 0, picture->width, picture->height};
        if (base && picture->width >= 8 && picture->height >= 8 &&
            !ResampleReducedRect(base.get(), reduced.get(), 8, whole, Resampling::Area))
            fuzzsupport::Fail("area means refused a reduced picture");
    }
    return 0;
}
