// BMP files by hand: with or without the 14-byte file header, core (12-byte), OS/2 2.x and
// Windows info headers up to 124 bytes, bottom-up or top-down rows, RLE4/RLE8 and bit
// fields. Every size the file states is checked against the file before anything is
// allocated, so a damaged or hostile file is refused instead of over-read.
#include "image/loaders.h"
#include "image/picture_file.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kAlphaBitFields = 6;

inline uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t U32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// Sequential reads over a stream whose total length is known up front.
class Source {
public:
    Source(FILE* file, uint64_t size) : file_(file), size_(size) {}

    uint64_t size() const { return size_; }
    uint64_t position() const { return pos_; }
    uint64_t remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }

    bool Read(void* to, size_t bytes) {
        if (bytes > remaining())
            return false;
        if (std::fread(to, 1, bytes, file_) != bytes)
            return false;
        pos_ += bytes;
        return true;
    }

    bool Seek(uint64_t to) {
        if (to > size_ || fseeko(file_, off_t(to), SEEK_SET) != 0)
            return false;
        pos_ = to;
        return true;
    }

private:
    FILE* file_;
    uint64_t size_;
    uint64_t pos_ = 0;
};

std::nullptr_t Fail(LoadError* error, LoadError why) {
    if (error)
        *error = why;
    return nullptr;
}

bool Refuse(LoadError* error, LoadError why) {
    Fail(error, why);
    return false;
}

bool IsWindowsHeader(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Unpacks RLE8 or RLE4 data into the zero-filled rows of `dib` (bottom row first, as the
// file stores them). Pixels the data skips keep index 0; runs past the row end are cut off.
// False when the data ends before the picture does.
bool DecodeRle(const uint8_t* data, size_t size, PackedDib* dib) {
    const bool four = dib->bitCount == 4;
    const int width = dib->width;
    const int height = dib->height;
    const uint32_t stride = DibRowBytes(dib);
    uint8_t* bits = DibBits(dib);
    int x = 0;
    int y = 0;
    auto put = [&](unsigned index) {
        if (x < width && y < height) {
            uint8_t* p = bits + size_t(y) * stride;
            if (four) {
                uint8_t& b = p[x >> 1];
                b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F))
                            : uint8_t((b & 0x0F) | (index << 4));
            } else {
                p[x] = uint8_t(index);
            }
        }
        ++x;
    };

    size_t i = 0;
    while (y < height) {
        if (size - i < 2)
            return false;
        const unsigned count = data[i];
        const unsigned value = data[i + 1];
        i += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count && x < width; ++k)
                put(four ? ((k & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            break;
        case 1: // end of picture
            return true;
        case 2: // move right and up
            if (size - i < 2)
                return false;
            x += data[i];
            y += data[i + 1];
            i += 2;
            break;
        default: { // literal run, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (size - i < bytes)
                return false;
            for (unsigned k = 0; k < value; ++k) {
                const uint8_t b = data[i + (four ? k / 2 : k)];
                put(four ? ((k & 1) ? (b & 0x0F) : (b >> 4)) : b);
            }
            i += std::min(size - i, bytes + (bytes & 1));
            break;
        }
        }
    }
    return true;
}

// Everything the header and table say, checked against the file.
struct BmpLayout {
    int64_t width = 0;
    int64_t height = 0;
    int bitCount = 0;
    bool topDown = false;
    int32_t xRes = 0;
    int32_t yRes = 0;
    bool useMasks = false;
    uint32_t masks[3] = {0, 0, 0};
    size_t entrySize = 4;
    uint64_t entries = 0; // table entries in the file
    uint32_t kept = 0;    // and those the image keeps
    uint64_t pixelStart = 0;
    uint32_t stride = 0;
    uint64_t rawBytes = 0;
    bool rle = false;
    uint64_t dataBytes = 0;
};

// Reads the headers and bit-field masks and judges every size they state against the file;
// the source is left at the colour table. False (and the reason) for a file refused.
bool ParseBmpLayout(Source& in, BmpLayout* layout, LoadError* error) {
    uint8_t fileHeader[14];
    if (!in.Read(fileHeader, sizeof fileHeader))
        return Refuse(error, LoadError::Damaged);
    const bool hasFileHeader = fileHeader[0] == 'B' && fileHeader[1] == 'M';
    const uint64_t infoStart = hasFileHeader ? sizeof fileHeader : 0;
    const uint64_t pixelOffset = hasFileHeader ? U32(fileHeader + 10) : 0;

    // The info header, zero-extended to the largest layout we know.
    uint8_t info[124] = {};
    if (!in.Seek(infoStart) || !in.Read(info, 4))
        return Refuse(error, LoadError::Damaged);
    const uint32_t headerSize = U32(info);
    const bool core = headerSize == 12;
    const bool windows = IsWindowsHeader(headerSize);
    // OS/2 2.x headers are 16 to 64 bytes and share the first 40 bytes' layout.
    const bool os2 = !windows && headerSize >= 16 && headerSize <= 64;
    if (!core && !windows && !os2)
        return Refuse(error, LoadError::Damaged);
    if (!in.Read(info + 4, std::min<uint32_t>(headerSize, sizeof info) - 4))
        return Refuse(error, LoadError::Damaged);

    int64_t width, height;
    int bitCount;
    uint32_t compression = kRgb, colorsUsed = 0;
    int32_t xRes = 0, yRes = 0;
    if (core) {
        width = U16(info + 4);
        height = U16(info + 6);
        bitCount = U16(info + 10);
    } else {
        width = int32_t(U32(info + 4));
        height = int32_t(U32(info + 8));
        bitCount = U16(info + 14);
        compression = U32(info + 16);
        xRes = int32_t(U32(info + 24));
        yRes = int32_t(U32(info + 28));
        colorsUsed = U32(info + 32);
    }
    const bool topDown = height < 0;
    height = topDown ? -height : height;
    if (width <= 0 || height <= 0)
        return Refuse(error, LoadError::Damaged);

    // Which layouts we decode; OS/2 reuses 3 and 4 for Huffman and RLE24.
    const bool masked = !os2 && (compression == kDibBitFields || compression == kAlphaBitFields);
    bool supported = false;
    switch (compression) {
    case kRgb:
        supported = bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 ||
                    bitCount == 16 || bitCount == 24 || bitCount == 32;
        break;
    case kRle8:
        supported = bitCount == 8 && !topDown;
        break;
    case kRle4:
        supported = bitCount == 4 && !topDown;
        break;
    default:
        supported = masked && (bitCount == 16 || bitCount == 32);
        break;
    }
    if (!supported) {
        // Run-length data is bottom-up by definition; other layouts exist but are not ours.
        const bool known = compression <= 6 && bitCount <= 64 &&
                           !(topDown && (compression == kRle8 || compression == kRle4));
        return Refuse(error, known ? LoadError::Unsupported : LoadError::Damaged);
    }
    // Judged as it will be widened: run-length data can claim a huge picture in a few bytes,
    // and is refused up front when the file is far too small for it.
    if (!DibShapeLoadable(bitCount, width, height))
        return Refuse(error, LoadError::TooLarge);
    if (!LoadCostAllowed(LoadedPictureBytes(bitCount, width, height), in.size()))
        return Refuse(error, LoadError::Damaged);

    // Bit-field masks: inside headers of 52 bytes and more, else right after the header.
    uint32_t masks[3] = {0, 0, 0};
    if (masked) {
        if (headerSize >= 52) {
            for (int c = 0; c < 3; ++c)
                masks[c] = U32(info + 40 + 4 * c);
        } else {
            uint8_t raw[16];
            const size_t bytes = compression == kAlphaBitFields ? 16 : 12;
            if (!in.Read(raw, bytes))
                return Refuse(error, LoadError::Damaged);
            for (int c = 0; c < 3; ++c)
                masks[c] = U32(raw + 4 * c);
        }
    }
    // All-zero masks carry no layout; read such pictures as plain 5-5-5 or 8-8-8.
    const bool useMasks = masked && (masks[0] | masks[1] | masks[2]) != 0;

    // Colour table: entries the file holds and entries we keep (at most 2^bits).
    const size_t entrySize = core ? 3 : 4;
    const uint64_t tableStart = in.position();
    uint64_t entries = colorsUsed;
    const bool implicitCount = colorsUsed == 0;
    if (bitCount <= 8 && implicitCount)
        entries = uint64_t(1) << bitCount;
    if (bitCount <= 8 && pixelOffset != 0 && pixelOffset < tableStart + entries * entrySize) {
        // Some writers store a shorter table than the implied 2^bits; the pixel offset tells.
        if (!implicitCount || pixelOffset < tableStart + entrySize)
            return Refuse(error, LoadError::Damaged);
        entries = (pixelOffset - tableStart) / entrySize;
    }
    // The table must be in the file when we keep it or when the pixels follow it.
    if ((bitCount <= 8 || pixelOffset == 0) && entries * entrySize > in.remaining())
        return Refuse(error, LoadError::Damaged);
    const uint32_t kept = bitCount <= 8 ? uint32_t(std::min<uint64_t>(entries, 1u << bitCount)) : 0;

    // Where the pixels are and how many bytes of them there must be.
    const uint64_t pixelStart = pixelOffset != 0 ? pixelOffset : tableStart + entries * entrySize;
    if (pixelStart < tableStart || pixelStart > in.size())
        return Refuse(error, LoadError::Damaged);
    const uint32_t stride = DibStride(bitCount, int32_t(width));
    const uint64_t rawBytes = uint64_t(stride) * uint64_t(height);
    const bool rle = compression == kRle8 || compression == kRle4;
    const uint32_t imageSizeField = core ? 0 : U32(info + 20);
    uint64_t dataBytes = rawBytes;
    if (rle) {
        dataBytes = in.size() - pixelStart;
        if (imageSizeField != 0)
            dataBytes = std::min<uint64_t>(dataBytes, imageSizeField);
        if (dataBytes < 2)
            return Refuse(error, LoadError::Damaged);
    } else if (in.size() - pixelStart < rawBytes) {
        return Refuse(error, LoadError::Damaged); // truncated
    }

    BmpLayout& l = *layout;
    l.width = width;
    l.height = height;
    l.bitCount = bitCount;
    l.topDown = topDown;
    l.xRes = xRes;
    l.yRes = yRes;
    l.useMasks = useMasks;
    std::memcpy(l.masks, masks, sizeof masks);
    l.entrySize = entrySize;
    l.entries = entries;
    l.kept = kept;
    l.pixelStart = pixelStart;
    l.stride = stride;
    l.rawBytes = rawBytes;
    l.rle = rle;
    l.dataBytes = dataBytes;
    return true;
}

DibPtr ReadBmpStream(FILE* file, uint64_t fileSize, LoadError* error) {
    Source in(file, fileSize);
    BmpLayout l;
    if (!ParseBmpLayout(in, &l, error))
        return nullptr;
    DibPtr dib(DibCreate(l.bitCount, int(l.width), int(l.height)));
    if (!dib)
        return Fail(error, LoadError::TooLarge);
    dib->xPelsPerMeter = l.xRes;
    dib->yPelsPerMeter = l.yRes;
    dib->colorsUsed = l.kept;
    if (l.useMasks) {
        dib->compression = kDibBitFields;
        std::memcpy(DibColorTable(dib.get()), l.masks, sizeof l.masks);
    }

    if (l.kept > 0) {
        std::vector<uint8_t> table(size_t(l.entries) * l.entrySize);
        if (!in.Read(table.data(), table.size()))
            return Fail(error, LoadError::Damaged);
        uint8_t* out = DibColorTable(dib.get());
        for (uint32_t i = 0; i < l.kept; ++i, out += 4) {
            std::memcpy(out, &table[i * l.entrySize], 3);
            out[3] = 0;
        }
    }

    if (!in.Seek(l.pixelStart))
        return Fail(error, LoadError::Damaged);
    uint8_t* bits = DibBits(dib.get());
    if (l.rle) {
        std::vector<uint8_t> data(l.dataBytes);
        if (!in.Read(data.data(), data.size()) || !DecodeRle(data.data(), data.size(), dib.get()))
            return Fail(error, LoadError::Damaged);
    } else if (l.topDown) {
        for (int64_t r = l.height - 1; r >= 0; --r)
            if (!in.Read(bits + size_t(r) * l.stride, l.stride))
                return Fail(error, LoadError::Damaged);
    } else if (!in.Read(bits, size_t(l.rawBytes))) {
        return Fail(error, LoadError::Damaged);
    }
    if (error)
        *error = LoadError::None;
    return dib;
}

} // namespace

DibPtr ReadBmpFile(const std::string& path, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Fail(error, why);
    DibPtr dib = ReadBmpStream(file, size, error);
    std::fclose(file);
    return dib;
}

bool ReadBmpInfo(const std::string& path, PictureInfo* info, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Refuse(error, why);
    Source in(file, size);
    BmpLayout layout;
    const bool ok = ParseBmpLayout(in, &layout, error);
    std::fclose(file);
    if (!ok)
        return false;
    if (error)
        *error = LoadError::None;
    // Palette pictures come out widened to 24 bits, deeper ones at their depth.
    *info = {int(layout.width), int(layout.height), layout.bitCount <= 8 ? 24 : layout.bitCount};
    return true;
}

DibPtr ReadBmpMemory(const void* data, size_t size, LoadError* error) {
    if (!data || size == 0)
        return Fail(error, LoadError::Damaged);
    FILE* file = fmemopen(const_cast<void*>(data), size, "rb");
    if (!file)
        return Fail(error, LoadError::Damaged);
    DibPtr dib = ReadBmpStream(file, size, error);
    std::fclose(file);
    return dib;
}
