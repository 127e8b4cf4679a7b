// A picture file of a format only the shipped image plug-ins read (GIF, the PNM family),
// opened as the Open command opens it: the plug-in parses the file and hands over a header
// block and a pixel block, which become the picture.
#include "fuzz_support.h"

#include "image/loaders.h"
#include "plugins/plugin_host.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (LoadPluginFolder(PluginFolderBesideExecutable()) < 2)
        fuzzsupport::Fail("the shipped plug-ins are not beside the executable");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static fuzzsupport::ScratchFile file("picture.img");
    LoadError why = LoadError::None;
    const std::string& path = file.Write(data, size);
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] { picture = LoadImageFile(path, &why); });
    fuzzsupport::CheckLoaded(picture.get(), why, true);
    fuzzsupport::UseAsSourcePicture(picture.get());
    return 0;
}
