// A foreign header block (header and colour table) and a separate pixel block, as image
// plug-ins hand them over. Input: the header block's length (two bytes, little-endian),
// the header block, then the pixel block.
#include "fuzz_support.h"

#include <algorithm>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    const size_t headerBytes = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    const size_t bitsBytes = size - 2 - headerBytes;
    // Blocks of exactly the stated lengths, so that reading past either one is caught.
    auto header = std::make_unique<uint8_t[]>(headerBytes);
    auto bits = std::make_unique<uint8_t[]>(bitsBytes);
    std::memcpy(header.get(), data + 2, headerBytes);
    std::memcpy(bits.get(), data + 2 + headerBytes, bitsBytes);
    DibPtr picture;
    fuzzsupport::CheckLoadCost(size, [&] {
        picture = DibFromHeaderAndBits(header.get(), headerBytes, bits.get(), bitsBytes);
    });
    if (picture && DibBitCount(picture.get()) <= 8)
        fuzzsupport::Fail("a palette picture was not widened");
    fuzzsupport::UseAsSourcePicture(picture.get());
    return 0;
}
