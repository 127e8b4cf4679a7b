// A PNG file, as the Open command reads it and as the program reads its own picture files
// and the output it wrote (palette and grey pictures at their own depth).
#include "fuzz_support.h"

#include "image/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ScratchFile file("picture.png");
    LoadError why = LoadError::None;
    std::vector<PaletteColor> palette;
    const std::string& path = file.Write(data, size);
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] { picture = ReadPngFile(path, &palette, &why); });
    fuzzsupport::CheckLoaded(picture.get(), why, false);
    if (!picture && !palette.empty())
        fuzzsupport::Fail("a failed load left a palette behind");
    fuzzsupport::UseAsSourcePicture(picture.get());
    fuzzsupport::CheckSampledLoad(path, size, picture.get(), why);
    return 0;
}
