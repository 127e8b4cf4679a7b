#include "image/compact_png.h"

#include "image/replacing_file.h"

#include <png.h>
#include <zlib.h>
#include <zopfli/deflate.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <new>
#include <span>
#include <unordered_map>

namespace {

// Top-down rows of palette indices with the palette they refer to, or of blue, green,
// red pixels when `palette` is empty.
struct Picture {
    int width = 0;
    int height = 0;
    int channels = 1;
    std::vector<uint8_t> pixels;
    std::vector<png_color> palette;
};

unsigned IndexAt(const uint8_t* row, int x, int bitCount) {
    switch (bitCount) {
    case 8:
        return row[x];
    case 4:
        return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0x0F;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 0x03;
    default:
        return (row[x >> 3] >> (7 - (x & 7))) & 0x01;
    }
}

uint32_t Rgb(const png_color& c) {
    return uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
}

// The colours in use, each once, most used first (ties by colour value): an order that
// depends on the pixels alone, so that writing a picture read back from our own file
// makes the same choices again. Indices past the table read as black, as the other
// writers read them.
bool GatherPalettePicture(const PackedDib* image, Picture* out) {
    const int bitCount = image->bitCount;
    const uint32_t entries = std::min<uint32_t>(DibColorCount(image), 1u << bitCount);
    const uint8_t* table = DibColorTable(image);
    const int w = image->width, h = image->height;
    const uint32_t stride = DibRowBytes(image);

    // Table entries of the same colour count as one.
    std::unordered_map<uint32_t, int> colorSlot;
    std::vector<uint32_t> colors;
    int slotOf[256];
    for (unsigned i = 0; i < (1u << bitCount); ++i) {
        const uint32_t rgb = i < entries ? uint32_t(table[4 * i + 2]) << 16 |
                                               uint32_t(table[4 * i + 1]) << 8 | table[4 * i]
                                         : 0;
        const auto [it, fresh] = colorSlot.emplace(rgb, int(colors.size()));
        if (fresh)
            colors.push_back(rgb);
        slotOf[i] = it->second;
    }
    std::vector<uint32_t> uses(colors.size());
    out->width = w;
    out->height = h;
    out->pixels.resize(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = DibBits(image) + size_t(h - 1 - y) * stride;
        uint8_t* dst = &out->pixels[size_t(y) * size_t(w)];
        for (int x = 0; x < w; ++x) {
            const int slot = slotOf[IndexAt(row, x, bitCount)];
            dst[x] = uint8_t(slot);
            ++uses[size_t(slot)];
        }
    }
    std::vector<int> order;
    for (size_t i = 0; i < colors.size(); ++i)
        if (uses[i])
            order.push_back(int(i));
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return uses[size_t(a)] != uses[size_t(b)] ? uses[size_t(a)] > uses[size_t(b)]
                                                  : colors[size_t(a)] < colors[size_t(b)];
    });
    uint8_t newIndex[256] = {};
    for (size_t i = 0; i < order.size(); ++i) {
        const uint32_t rgb = colors[size_t(order[i])];
        out->palette.push_back(png_color{uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)});
        newIndex[order[i]] = uint8_t(i);
    }
    for (uint8_t& p : out->pixels)
        p = newIndex[p];
    return true;
}

void GatherRgbPicture(const PackedDib* image, Picture* out) {
    const int w = image->width, h = image->height;
    out->width = w;
    out->height = h;
    out->channels = 3;
    out->pixels.resize(size_t(w) * size_t(h) * 3);
    const uint32_t stride = DibRowBytes(image);
    for (int y = 0; y < h; ++y)
        std::memcpy(&out->pixels[size_t(y) * size_t(w) * 3],
                    DibBits(image) + size_t(h - 1 - y) * stride, size_t(w) * 3);
}

// The same picture with its palette sorted by brightness, so that neighbouring indices
// hold similar colours (it helps the row filters). Ties go by colour value.
Picture SortedByBrightness(const Picture& picture) {
    const size_t n = picture.palette.size();
    std::vector<uint8_t> order(n);
    for (size_t i = 0; i < n; ++i)
        order[i] = uint8_t(i);
    auto key = [&](uint8_t i) {
        const png_color& c = picture.palette[i];
        return std::pair(299 * c.red + 587 * c.green + 114 * c.blue, Rgb(c));
    };
    std::sort(order.begin(), order.end(), [&](uint8_t a, uint8_t b) { return key(a) < key(b); });
    Picture sorted = picture;
    uint8_t newIndex[256] = {};
    for (size_t i = 0; i < n; ++i) {
        sorted.palette[i] = picture.palette[order[i]];
        newIndex[order[i]] = uint8_t(i);
    }
    for (uint8_t& p : sorted.pixels)
        p = newIndex[p];
    return sorted;
}

int DepthFor(size_t colors) {
    return colors <= 2 ? 1 : colors <= 4 ? 2 : colors <= 16 ? 4 : 8;
}

struct Trial {
    bool byBrightness; // palette sorted by brightness instead of by use
    int filters;
    int strategy;
    int memLevel; // also sets how many symbols share one set of Huffman codes
    int windowBits;
};

void AppendBytes(png_structp png, png_bytep data, size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        png_error(png, "out of memory");
    }
}

void NoFlush(png_structp) {}

// Everything that may jump back through the library's error hook lives here.
bool EncodeOnce(const Picture& picture, const Trial& trial, std::vector<uint8_t>* out,
                std::vector<png_bytep>& rows) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    const bool paletted = picture.channels == 1;
    const int depth = paletted ? DepthFor(picture.palette.size()) : 8;
    png_set_IHDR(png, info, png_uint_32(picture.width), png_uint_32(picture.height), depth,
                 paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (paletted)
        png_set_PLTE(png, info, picture.palette.data(), int(picture.palette.size()));
    png_set_compression_level(png, Z_BEST_COMPRESSION);
    png_set_compression_mem_level(png, trial.memLevel);
    png_set_compression_window_bits(png, trial.windowBits);
    png_set_compression_strategy(png, trial.strategy);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, trial.filters);
    // One IDAT chunk for a phone-sized picture: every extra chunk costs 12 bytes.
    png_set_compression_buffer_size(png, 1u << 20);
    png_write_info(png, info);
    if (paletted && depth < 8)
        png_set_packing(png);
    if (!paletted)
        png_set_bgr(png);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool EncodePicture(const Picture& picture, const Trial& trial, std::vector<uint8_t>* out) {
    std::vector<png_bytep> rows(size_t(picture.height));
    const size_t rowBytes = size_t(picture.width) * size_t(picture.channels);
    for (size_t y = 0; y < rows.size(); ++y)
        rows[y] = const_cast<png_bytep>(&picture.pixels[y * rowBytes]);
    out->clear();
    return EncodeOnce(picture, trial, out, rows);
}

// The settings tried, best on its own first. They were picked from about a thousand
// combinations as the few whose smallest file comes within a fraction of a percent of
// the smallest of all, on photos reduced to phone sizes. Small windows and few symbols
// per block often win on pictures of this size.
const Trial kTrials[] = {
    {false, PNG_FILTER_NONE, Z_DEFAULT_STRATEGY, 5, 10},
    {true, PNG_FILTER_SUB, Z_FILTERED, 9, 10},
    {false, PNG_FILTER_NONE, Z_DEFAULT_STRATEGY, 5, 9},
    {true, PNG_FILTER_NONE, Z_DEFAULT_STRATEGY, 4, 10},
};

// The rows as a PNG stores them before compression: each packed at `depth` bits and led by
// its filter byte, none or sub (palette rows: the byte to the left).
std::vector<uint8_t> FilteredRows(const Picture& picture, int depth, int filter) {
    const size_t w = size_t(picture.width);
    const size_t rowBytes = (w * size_t(depth) + 7) / 8;
    std::vector<uint8_t> out;
    out.reserve((rowBytes + 1) * size_t(picture.height));
    std::vector<uint8_t> row(rowBytes);
    for (int y = 0; y < picture.height; ++y) {
        std::fill(row.begin(), row.end(), uint8_t(0));
        const uint8_t* src = &picture.pixels[size_t(y) * w];
        const int perByte = 8 / depth;
        for (size_t x = 0; x < w; ++x)
            row[x / size_t(perByte)] |=
                uint8_t(src[x] << (depth * (perByte - 1 - int(x % size_t(perByte)))));
        out.push_back(filter == PNG_FILTER_SUB ? 1 : 0);
        for (size_t i = 0; i < rowBytes; ++i)
            out.push_back(filter == PNG_FILTER_SUB && i > 0 ? uint8_t(row[i] - row[i - 1])
                                                            : row[i]);
    }
    return out;
}

void AppendChunk(std::vector<uint8_t>* out, const char* type, const uint8_t* data, size_t size) {
    auto put32 = [out](uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out->push_back(uint8_t(v >> shift));
    };
    put32(uint32_t(size));
    const size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data, data + size);
    put32(uint32_t(crc32(0, out->data() + start, uInt(out->size() - start))));
}

// The same palette file with its image data deflated by zopfli: far slower than zlib, and
// some 5-8 % smaller on phone pictures. Two blocks, each half of the rows with a Huffman
// code of its own, gain most of what a full block search gains at a tenth of its time.
bool EncodeZopfli(const Picture& picture, const Trial& trial, std::vector<uint8_t>* out) {
    const int depth = DepthFor(picture.palette.size());
    const std::vector<uint8_t> rows = FilteredRows(picture, depth, trial.filters);
    ZopfliOptions options;
    ZopfliInitOptions(&options);
    options.numiterations = 3;
    options.blocksplitting = 0;
    unsigned char bit = 0;
    unsigned char* deflated = nullptr;
    size_t deflatedSize = 0;
    const size_t half = rows.size() / size_t(picture.height) * size_t(picture.height / 2);
    if (half > 0)
        ZopfliDeflatePart(&options, 2, 0, rows.data(), 0, half, &bit, &deflated, &deflatedSize);
    ZopfliDeflatePart(&options, 2, 1, rows.data(), half, rows.size(), &bit, &deflated,
                      &deflatedSize);
    if (!deflated)
        return false;
    // The zlib wrapper: deflate with a 32 KB window at the best level, and the checksum.
    std::vector<uint8_t> idat{0x78, 0xDA};
    idat.insert(idat.end(), deflated, deflated + deflatedSize);
    std::free(deflated);
    const uint32_t adler =
        uint32_t(adler32(adler32(0, nullptr, 0), rows.data(), uInt(rows.size())));
    for (int shift = 24; shift >= 0; shift -= 8)
        idat.push_back(uint8_t(adler >> shift));

    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    out->assign(kSignature, kSignature + 8);
    uint8_t header[13] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = uint8_t(uint32_t(picture.width) >> (24 - 8 * i));
        header[4 + i] = uint8_t(uint32_t(picture.height) >> (24 - 8 * i));
    }
    header[8] = uint8_t(depth);
    header[9] = PNG_COLOR_TYPE_PALETTE;
    AppendChunk(out, "IHDR", header, sizeof header);
    std::vector<uint8_t> plte;
    for (const png_color& c : picture.palette)
        plte.insert(plte.end(), {c.red, c.green, c.blue});
    AppendChunk(out, "PLTE", plte.data(), plte.size());
    AppendChunk(out, "IDAT", idat.data(), idat.size());
    AppendChunk(out, "IEND", nullptr, 0);
    return true;
}

bool Encode(const PackedDib* image, std::span<const Trial> trials, bool zopfli,
            std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (!image || image->width <= 0 || image->height <= 0)
        return false;
    const int bitCount = image->bitCount;
    Picture picture;
    if (bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8)
        GatherPalettePicture(image, &picture);
    else if (bitCount == 24)
        GatherRgbPicture(image, &picture);
    else
        return false;

    Picture sorted;
    const bool palette = picture.channels == 1;
    if (palette)
        sorted = SortedByBrightness(picture);
    // The first smallest wins, so that the choice is the same for the same picture.
    std::vector<uint8_t> trial;
    const Trial* best = nullptr;
    for (const Trial& t : trials) {
        if (t.byBrightness && !palette)
            continue;
        if (EncodePicture(t.byBrightness ? sorted : picture, t, &trial) &&
            (!best || trial.size() < bytes->size())) {
            bytes->swap(trial);
            best = &t;
        }
    }
    // Zopfli deflates the rows of the best setting once more; the smaller file is kept.
    if (best && zopfli && palette &&
        EncodeZopfli(best->byBrightness ? sorted : picture, *best, &trial) &&
        trial.size() < bytes->size())
        bytes->swap(trial);
    if (!best)
        bytes->clear();
    return best != nullptr;
}

bool WriteBytes(const std::vector<uint8_t>& bytes, FILE* stream) {
    return stream && std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
}

} // namespace

bool EncodeCompactPng(const PackedDib* image, std::vector<uint8_t>* bytes) {
    return Encode(image, kTrials, true, bytes);
}

bool EncodeCompactPngQuick(const PackedDib* image, std::vector<uint8_t>* bytes) {
    return Encode(image, std::span(kTrials, 1), false, bytes);
}

int WriteCompactPngStream(const PackedDib* image, FILE* stream) {
    std::vector<uint8_t> bytes;
    return stream && EncodeCompactPng(image, &bytes) && WriteBytes(bytes, stream) ? 1 : 0;
}

int WriteCompactPngFile(const PackedDib* image, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!EncodeCompactPng(image, &bytes))
        return 0;
    ReplacingFile file(path);
    return WriteBytes(bytes, file.stream()) && file.Commit() ? 1 : 0;
}
