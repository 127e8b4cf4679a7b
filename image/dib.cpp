#include "image/dib.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

const uint32_t kDibStandardColors[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

namespace {

// The 20 static colours of the classic default system palette, 0x00RRGGBB.
const PaletteColor kDefaultSystemPalette[20] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
    0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
    0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

bool ValidBitCount(int bitCount) {
    switch (bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

inline void PutColor(uint8_t* entry, uint32_t rgb) {
    entry[0] = uint8_t(rgb);       // blue
    entry[1] = uint8_t(rgb >> 8);  // green
    entry[2] = uint8_t(rgb >> 16); // red
    entry[3] = 0;
}

// Index of pixel x in a packed row of 1, 2, 4 or 8 bits, most significant bits first.
inline unsigned PackedIndex(const uint8_t* row, int x, int bitCount) {
    switch (bitCount) {
    case 8:
        return row[x];
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 0x03;
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    default:
        return 0;
    }
}

// One channel of a bit-field mask: where it sits and how wide it is.
struct MaskChannel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit MaskChannel(uint32_t m) : mask(m) {
        if (m == 0)
            return;
        while (!((m >> shift) & 1))
            ++shift;
        uint32_t v = m >> shift;
        while (v & 1) {
            ++bits;
            v >>= 1;
        }
    }

    // Moves the channel's value to the top of a byte; low bits are not replicated, as
    // with plain 5-5-5 words.
    uint8_t Extract(uint32_t word) const {
        if (bits == 0)
            return 0;
        uint32_t v = (word & mask) >> shift;
        v &= (bits >= 32) ? 0xFFFFFFFFu : ((1u << bits) - 1);
        return bits >= 8 ? uint8_t(v >> (bits - 8)) : uint8_t(v << (8 - bits));
    }
};

} // namespace

bool DibShapeAllowed(int bitCount, int64_t width, int64_t height) {
    if (!ValidBitCount(bitCount) || width <= 0 || height <= 0)
        return false;
    if (width > kDibMaxSide || height > kDibMaxSide)
        return false;
    return uint64_t(DibStride(bitCount, int32_t(width))) * uint64_t(height) <= kDibMaxPixelBytes;
}

bool DibShapeLoadable(int bitCount, int64_t width, int64_t height) {
    return DibShapeAllowed(bitCount, width, height) &&
           (bitCount > 8 || DibShapeAllowed(24, width, height));
}

DibPtr DibCreate(int bitCount, int width, int height) {
    if (!DibShapeAllowed(bitCount, width, height))
        return nullptr;
    const size_t imageSize = size_t(DibStride(bitCount, width)) * size_t(height);
    // Room for a full 256-entry table whatever the depth.
    auto* dib = static_cast<PackedDib*>(std::calloc(1, sizeof(PackedDib) + 1024 + imageSize));
    if (!dib)
        return nullptr;
    dib->headerSize = sizeof(PackedDib);
    dib->width = width;
    dib->height = height;
    dib->planes = 1;
    dib->bitCount = uint16_t(bitCount);
    dib->compression = 0;
    dib->imageSize = uint32_t(imageSize);
    dib->colorsUsed = bitCount <= 8 ? (1u << bitCount) : 0;
    uint8_t* table = DibColorTable(dib);
    // The standard sequence once for every complete group of 16 entries.
    for (uint32_t i = 0; i + 16 <= dib->colorsUsed; i += 16)
        for (uint32_t j = 0; j < 16; ++j)
            PutColor(table + 4 * (i + j), kDibStandardColors[j]);
    return DibPtr(dib);
}

int DibFree(PackedDib* dib) {
    if (!dib)
        return 0;
    std::free(dib);
    return 1;
}

size_t DibBlockSize(const PackedDib* dib) {
    return size_t(dib->headerSize) + DibTableBytes(dib) + DibPixelBytes(dib);
}

DibPtr DibDuplicate(const PackedDib* source, PackedDib* existing) {
    if (!source)
        return nullptr;
    const size_t size = DibBlockSize(source);
    // Keep the creation rule of room for a full table behind the header.
    const size_t alloc = std::max(size, size_t(source->headerSize) + 1024 + DibPixelBytes(source));
    void* block = existing ? std::realloc(existing, alloc) : std::malloc(alloc);
    if (!block)
        return nullptr;
    std::memcpy(block, source, size);
    if (alloc > size)
        std::memset(static_cast<uint8_t*>(block) + size, 0, alloc - size);
    return DibPtr(static_cast<PackedDib*>(block));
}

DibPtr DibFromHeaderAndBits(const void* header, size_t headerBytes, const void* bits,
                            size_t bitsBytes) {
    if (!header || !bits || headerBytes < sizeof(PackedDib))
        return nullptr;
    PackedDib info;
    std::memcpy(&info, header, sizeof info);
    if (info.headerSize < sizeof(PackedDib) || info.headerSize > headerBytes)
        return nullptr;
    const int bitCount = info.bitCount;
    const bool topDown = info.height < 0;
    const int64_t height = topDown ? -int64_t(info.height) : int64_t(info.height);
    if (!DibShapeLoadable(bitCount, info.width, height))
        return nullptr;
    const int width = info.width;
    const int rows = int(height);
    const uint32_t stride = DibStride(bitCount, width);
    const size_t pixelBytes = size_t(stride) * size_t(rows);
    if (bitsBytes < pixelBytes)
        return nullptr;
    const auto* src = static_cast<const uint8_t*>(bits);
    const auto* table = static_cast<const uint8_t*>(header) + info.headerSize;
    const size_t tableRoom = headerBytes - info.headerSize;

    if (bitCount > 8) {
        if (info.compression != 0 &&
            !(info.compression == kDibBitFields && (bitCount == 16 || bitCount == 32)))
            return nullptr;
        const size_t tableBytes =
            info.compression == kDibBitFields ? 12 : size_t(4) * info.colorsUsed;
        if (tableBytes > tableRoom)
            return nullptr;
        const size_t total = size_t(info.headerSize) + tableBytes + pixelBytes;
        auto* dib = static_cast<PackedDib*>(
            std::malloc(std::max(total, size_t(info.headerSize) + 1024 + pixelBytes)));
        if (!dib)
            return nullptr;
        std::memcpy(dib, header, info.headerSize + tableBytes);
        dib->height = rows;
        dib->imageSize = uint32_t(pixelBytes);
        uint8_t* dst = DibBits(dib);
        if (topDown) {
            for (int r = 0; r < rows; ++r)
                std::memcpy(dst + size_t(r) * stride, src + size_t(rows - 1 - r) * stride, stride);
        } else {
            std::memcpy(dst, src, pixelBytes);
        }
        return DibPtr(dib);
    }

    if (info.compression != 0)
        return nullptr;
    // A foreign table may be shorter than the indices need; such indices read as black.
    const uint32_t entries = uint32_t(
        std::min<size_t>(info.colorsUsed != 0 ? info.colorsUsed : (1u << bitCount), tableRoom / 4));
    DibPtr dib = DibCreate(24, width, rows);
    if (!dib)
        return nullptr;
    const uint32_t dstStride = DibRowBytes(dib.get());
    for (int r = 0; r < rows; ++r) {
        const uint8_t* in = src + size_t(topDown ? rows - 1 - r : r) * stride;
        uint8_t* out = DibBits(dib.get()) + size_t(r) * dstStride;
        for (int x = 0; x < width; ++x, out += 3) {
            const unsigned index = PackedIndex(in, x, bitCount);
            if (index < entries)
                std::memcpy(out, table + 4 * index, 3);
        }
    }
    return dib;
}

void DibWidenRow(const PackedDib* source, int row, uint8_t* out) {
    const int srcBits = source->bitCount;
    const int width = source->width;
    const uint8_t* srcRow = DibBits(source) + size_t(row) * DibRowBytes(source);
    if (srcBits == 24) {
        std::memcpy(out, srcRow, 3 * size_t(width));
        return;
    }
    const uint8_t* srcTable = DibColorTable(source);
    const uint32_t entries = std::min<uint32_t>(
        source->colorsUsed != 0 ? source->colorsUsed : DibColorCount(source), 256);
    const bool masked = source->compression == kDibBitFields && (srcBits == 16 || srcBits == 32);
    uint32_t masks[3] = {0, 0, 0};
    if (masked)
        std::memcpy(masks, srcTable, sizeof masks);
    const MaskChannel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int x = 0; x < width; ++x) {
        uint8_t b = 0, g = 0, rr = 0;
        if (srcBits <= 8) {
            const unsigned index = PackedIndex(srcRow, x, srcBits);
            // Indices beyond a short table read as black instead of beyond the block.
            if (index < entries) {
                b = srcTable[4 * index];
                g = srcTable[4 * index + 1];
                rr = srcTable[4 * index + 2];
            }
        } else if (srcBits == 16) {
            const uint32_t v = uint32_t(srcRow[2 * x]) | (uint32_t(srcRow[2 * x + 1]) << 8);
            if (masked) {
                rr = red.Extract(v);
                g = green.Extract(v);
                b = blue.Extract(v);
            } else {
                rr = uint8_t((v >> 7) & 0xF8);
                g = uint8_t((v >> 2) & 0xF8);
                b = uint8_t((v << 3) & 0xF8);
            }
        } else { // 32 bits
            const uint8_t* p = srcRow + 4 * size_t(x);
            if (masked) {
                const uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                                   (uint32_t(p[3]) << 24);
                rr = red.Extract(v);
                g = green.Extract(v);
                b = blue.Extract(v);
            } else {
                b = p[0];
                g = p[1];
                rr = p[2];
            }
        }
        uint8_t* o = out + 3 * size_t(x);
        o[0] = b;
        o[1] = g;
        o[2] = rr;
    }
}

DibPtr DibConvertDepth(const PackedDib* source, int targetBitCount) {
    if (!source || (targetBitCount != 8 && targetBitCount != 24))
        return nullptr;
    const int srcBits = source->bitCount;
    if (srcBits == 24)
        return targetBitCount == 24 ? DibDuplicate(source, nullptr) : nullptr;
    if (targetBitCount == 8 && srcBits > 8)
        return nullptr;
    const int width = source->width;
    const int height = source->height;
    DibPtr dib = DibCreate(targetBitCount, width, height);
    if (!dib)
        return nullptr;
    const uint32_t dstStride = DibRowBytes(dib.get());
    uint8_t* dstRow = DibBits(dib.get());
    if (targetBitCount == 24) {
        for (int r = 0; r < height; ++r, dstRow += dstStride)
            DibWidenRow(source, r, dstRow);
        return dib;
    }

    const uint8_t* srcTable = DibColorTable(source);
    const uint32_t entries = std::min<uint32_t>(
        source->colorsUsed != 0 ? source->colorsUsed : DibColorCount(source), 256);
    if (entries > 0)
        std::memcpy(DibColorTable(dib.get()), srcTable, 4 * size_t(entries));
    const uint32_t srcStride = DibRowBytes(source);
    const uint8_t* srcRow = DibBits(source);
    for (int r = 0; r < height; ++r, srcRow += srcStride, dstRow += dstStride)
        for (int x = 0; x < width; ++x)
            dstRow[x] = uint8_t(PackedIndex(srcRow, x, srcBits));
    return dib;
}

int DibSetColorTable(PackedDib* dib, const PaletteColor* palette, size_t count) {
    if (!dib)
        return 0;
    if (!palette) {
        palette = kDefaultSystemPalette;
        count = sizeof kDefaultSystemPalette / sizeof kDefaultSystemPalette[0];
    }
    const uint32_t n = DibColorCount(dib);
    if (n == 0 || (n == 3 && dib->compression == kDibBitFields))
        return 1;
    uint8_t* table = DibColorTable(dib);
    const size_t limit = std::min<size_t>({n, 256, count});
    for (size_t i = 0; i < limit; ++i)
        PutColor(table + 4 * i, palette[i] & 0xFFFFFF);
    return 1;
}
