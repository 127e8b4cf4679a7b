// BMP bytes as another program leaves them on the clipboard (a BMP file, or a packed bitmap
// without the file header), pasted as the new source picture.
#include "fuzz_support.h"

#include "image/loaders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    LoadError why = LoadError::None;
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] { picture = LoadBmpMemory(data, size, &why); });
    fuzzsupport::CheckLoaded(picture.get(), why, true);
    fuzzsupport::UseAsSourcePicture(picture.get());
    return 0;
}
