// A picture file opened with the .bmp extension, as the Open command reads it.
#include "fuzz_support.h"

#include "image/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ScratchFile file("picture.bmp");
    LoadError why = LoadError::None;
    const std::string& path = file.Write(data, size);
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] { picture = LoadImageFile(path, &why); });
    fuzzsupport::CheckLoaded(picture.get(), why, true);
    fuzzsupport::UseAsSourcePicture(picture.get());
    return 0;
}
