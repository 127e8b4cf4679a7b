// A JPEG file, as the Open command reads it and as the output read back after writing.
#include "fuzz_support.h"

#include "image/loaders.h"

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
    return 0;
}
