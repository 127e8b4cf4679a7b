// A picture file opened with the .bmp extension, as the Open command reads it.
#include "fuzz_support.h"

#include "image/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ScratchFile file("picture.bmp");
    LoadError why = LoadError::None;
    DibPtr picture(LoadImageFile(file.Write(data, size), &why));
    if (!picture != (why != LoadError::None))
        fuzzsupport::Fail("the load result and its reason disagree");
    if (picture && DibBitCount(picture.get()) <= 8)
        fuzzsupport::Fail("a palette picture was not widened");
    fuzzsupport::UseAsSourcePicture(picture.get());
    return 0;
}
