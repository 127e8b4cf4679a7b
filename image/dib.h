// The packed bitmap every picture of the program lives in: one heap block with a
// 40-byte header, the colour table (or three bit-field masks) and bottom-up pixel
// rows padded to 4 bytes. Pixels are blue, green, red.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct PackedDib {
    uint32_t headerSize; // 40 for our own images; imported headers keep theirs
    int32_t width;
    int32_t height; // rows are stored bottom row first
    uint16_t planes;
    uint16_t bitCount;    // 1, 2, 4, 8, 16, 24 or 32
    uint32_t compression; // 0, or 3 (bit fields) for imported 16/32-bit pictures
    uint32_t imageSize;   // bytes of the pixel array; 0 means stride * height
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t colorsUsed; // table entries; never 0 for our own images of 8 bits or fewer
    uint32_t colorsImportant;
};
static_assert(sizeof(PackedDib) == 40, "the header is exactly 40 bytes");

constexpr uint32_t kDibBitFields = 3;

// Limits every creator checks before allocating, so that a damaged or hostile
// header can never make us allocate absurd amounts.
constexpr int32_t kDibMaxSide = 30000;
constexpr uint64_t kDibMaxPixelBytes = uint64_t(1) << 30;

// Row stride in bytes, padded to 4; 0 when the arguments are out of range.
constexpr uint32_t DibStride(int bitCount, int32_t width) {
    return width <= 0 || bitCount <= 0
               ? 0
               : uint32_t(((uint64_t(bitCount) * uint64_t(width) + 31) / 32) * 4);
}

// True when a picture of that shape may be allocated (sides in range, pixels within the cap).
bool DibShapeAllowed(int bitCount, int64_t width, int64_t height);
// The same for a picture being read: one of 8 bits or fewer is widened to 24 bits once read,
// so it is judged at 24 bits, before any decoding that the widening would then throw away.
bool DibShapeLoadable(int bitCount, int64_t width, int64_t height);

// Releases an image; 1, or 0 when given none.
int DibFree(PackedDib* dib);

struct DibDeleter {
    void operator()(PackedDib* dib) const { DibFree(dib); }
};
// The owner of an image: every creator below hands its image over in one.
using DibPtr = std::unique_ptr<PackedDib, DibDeleter>;

// Creates a zero-filled image with the standard colour table; none when out of memory or
// the shape is not allowed.
[[nodiscard]] DibPtr DibCreate(int bitCount, int width, int height);

inline int32_t DibWidth(const PackedDib* dib) {
    return dib->width;
}
inline int32_t DibHeight(const PackedDib* dib) {
    return dib->height;
}
inline int DibBitCount(const PackedDib* dib) {
    return dib->bitCount;
}
inline uint32_t DibRowBytes(const PackedDib* dib) {
    return DibStride(dib->bitCount, dib->width);
}

// Table entries used when copying or exporting a table.
inline uint32_t DibColorCount(const PackedDib* dib) {
    if (dib->colorsUsed != 0)
        return dib->colorsUsed;
    return dib->bitCount <= 8 ? (1u << dib->bitCount) : 0;
}

// Bytes between the end of the header and the pixel array by the layout rule of our own
// images: three masks for bit fields, else colours-used entries of 4 bytes.
inline uint32_t DibTableBytes(const PackedDib* dib) {
    return dib->compression == kDibBitFields ? 12 : 4 * dib->colorsUsed;
}

inline uint8_t* DibColorTable(PackedDib* dib) {
    return reinterpret_cast<uint8_t*>(dib) + dib->headerSize;
}
inline const uint8_t* DibColorTable(const PackedDib* dib) {
    return reinterpret_cast<const uint8_t*>(dib) + dib->headerSize;
}
inline uint8_t* DibBits(PackedDib* dib) {
    return DibColorTable(dib) + DibTableBytes(dib);
}
inline const uint8_t* DibBits(const PackedDib* dib) {
    return DibColorTable(dib) + DibTableBytes(dib);
}

// Bytes of the pixel array: the image size field, or stride * height when it is 0.
inline size_t DibPixelBytes(const PackedDib* dib) {
    return dib->imageSize != 0 ? dib->imageSize : size_t(DibRowBytes(dib)) * size_t(dib->height);
}

// Address of pixel x in stored row `row` (0 = bottom); for depths under 8 bits the byte
// holding the pixel.
inline uint8_t* DibPixelAddress(PackedDib* dib, int x, int row) {
    return DibBits(dib) + size_t(row) * DibRowBytes(dib) + (size_t(x) * dib->bitCount) / 8;
}
inline const uint8_t* DibPixelAddress(const PackedDib* dib, int x, int row) {
    return DibBits(dib) + size_t(row) * DibRowBytes(dib) + (size_t(x) * dib->bitCount) / 8;
}

// Size of the meaningful part of the block: header, table and pixels.
size_t DibBlockSize(const PackedDib* dib);

// Byte-for-byte copy of the source's block. With an existing image that block is resized
// and overwritten and returned, owned from now on; the old address is then invalid. None
// when out of memory (the existing image is then left untouched and still the caller's).
[[nodiscard]] DibPtr DibDuplicate(const PackedDib* source, PackedDib* existing);

// Builds an image from a foreign header (with its table or masks) and a separate pixel
// array, as the clipboard and plug-ins deliver them. Both blocks are checked against the
// lengths given before anything is read; none when they do not add up. Pictures of 8 bits
// or fewer come out at 24 bits.
[[nodiscard]] DibPtr DibFromHeaderAndBits(const void* header, size_t headerBytes, const void* bits,
                                          size_t bitsBytes);

// New image at 8 or 24 bits (the source is untouched); none for another target.
// 16- and 32-bit sources with bit-field masks are converted through their masks.
[[nodiscard]] DibPtr DibConvertDepth(const PackedDib* source, int targetBitCount);

// Stored row `row` (0 = bottom) of a picture of any depth as blue, green, red bytes, the way
// DibConvertDepth widens it; `out` takes 3 x width bytes.
void DibWidenRow(const PackedDib* source, int row, uint8_t* out);

// Palette colours are 0xAARRGGBB words, the same layout as QRgb.
using PaletteColor = uint32_t;

// Fills the image's colour table from a palette (none: the platform's default palette);
// 0 for no image, else 1.
int DibSetColorTable(PackedDib* dib, const PaletteColor* palette, size_t count);

// The standard 16 colours a new table is filled with, as 0x00RRGGBB.
extern const uint32_t kDibStandardColors[16];
