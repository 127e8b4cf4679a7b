// PNG files through libpng. Transparent pixels are blended onto sky blue (black for grey
// pictures); palette and low-depth grey pictures keep their depth, everything else comes out
// at 24 bits. Library errors jump back here and become a failed load.
#include "image/codec_log.h"
#include "image/loaders.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>

namespace {

// Ancillary chunks (text, profiles) beyond this are refused instead of inflated.
constexpr png_alloc_size_t kMaxChunkBytes = 16u << 20;

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    CodecLog("[PNG Library Error] - %s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp message) {
    CodecLog("[PNG Library Warning] - %s", message);
}

std::nullptr_t Fail(LoadError* error, LoadError why) {
    if (error)
        *error = why;
    return nullptr;
}

// The picture's depth once the transforms are set: colour pictures become 24 bits, 16-bit
// samples are stripped to 8, palette and low-depth grey pictures keep theirs.
int DibDepthFor(int colorType, int bitDepth) {
    if (colorType & PNG_COLOR_MASK_COLOR)
        return colorType == PNG_COLOR_TYPE_PALETTE ? bitDepth : 24;
    return bitDepth >= 8 ? 8 : bitDepth;
}

void FillGreyTable(PackedDib* dib) {
    const int depth = DibBitCount(dib);
    const unsigned top = (1u << depth) - 1;
    uint8_t* entry = DibColorTable(dib);
    for (unsigned i = 0; i <= top; ++i, entry += 4) {
        const uint8_t v = uint8_t(i * 255 / top);
        entry[0] = entry[1] = entry[2] = v;
        entry[3] = 0;
    }
}

std::vector<PaletteColor> TableAsPalette(const PackedDib* dib) {
    std::vector<PaletteColor> palette;
    const uint8_t* entry = DibColorTable(dib);
    for (uint32_t i = 0; i < DibColorCount(dib); ++i, entry += 4)
        palette.push_back(0xFF000000u | (PaletteColor(entry[2]) << 16) |
                          (PaletteColor(entry[1]) << 8) | entry[0]);
    return palette;
}

// Copies the file's palette into the image's table before any transform touches it.
void ApplyFilePalette(PackedDib* dib, const png_color* plte, int count,
                      std::vector<PaletteColor>* out) {
    const size_t n = size_t(count);
    std::vector<uint8_t> red(n), green(n), blue(n);
    for (int i = 0; i < count; ++i) {
        red[size_t(i)] = plte[i].red;
        green[size_t(i)] = plte[i].green;
        blue[size_t(i)] = plte[i].blue;
    }
    std::vector<PaletteColor> palette =
        MakePaletteFromChannels(count, red.data(), green.data(), blue.data());
    DibSetColorTable(dib, palette.data(), palette.size());
    if (out)
        *out = std::move(palette);
}

// Everything that may jump back through the library's error hook lives here, with no
// objects that need destructors; `dib` and `why` are what the recovery point needs.
bool DecodePng(png_structp png, png_infop info, FILE* file, std::vector<PaletteColor>* palette,
               PackedDib* volatile& dib, volatile LoadError& why) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kDibMaxSide, kDibMaxSide);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzed files rarely carry right checksums; let the decoder see what they hold.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_read_info(png, info);

    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    const int depth = DibDepthFor(colorType, bitDepth);
    if (!DibShapeLoadable(depth, width, height)) {
        why = LoadError::TooLarge;
        png_error(png, "picture beyond the size limits");
    }
    // Held raw across the decoder's long jumps; the caller releases it on failure.
    dib = DibCreate(depth, int(width), int(height)).release();
    if (!dib) {
        why = LoadError::TooLarge;
        png_error(png, "out of memory");
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &plte, &count))
            png_error(png, "palette picture without a palette");
        // The copy is taken now, so transparency cannot change the palette's colours.
        ApplyFilePalette(dib, plte, count, palette);
    } else if (depth <= 8) {
        FillGreyTable(dib);
        if (palette)
            *palette = TableAsPalette(dib);
    }

    png_color_16 background = {};
    background.red = 31;
    background.green = 127;
    background.blue = 255;
    png_set_background(png, &background, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (depth == 24)
        png_set_bgr(png);
    const int passes = interlace != PNG_INTERLACE_NONE ? png_set_interlace_handling(png) : 1;
    png_read_update_info(png, info);

    const size_t rowBytes = depth == 24 ? size_t(width) * 3 : (size_t(depth) * width + 7) / 8;
    if (png_get_rowbytes(png, info) != rowBytes)
        png_error(png, "unexpected row layout");
    // Rows go straight into the image; later passes merge into what earlier ones left.
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, DibPixelAddress(dib, 0, int(height - 1 - y)), nullptr);
    png_read_end(png, nullptr);
    return true;
}

} // namespace

DibPtr ReadPngFile(const std::string& path, std::vector<PaletteColor>* palette, LoadError* error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return Fail(error, LoadError::NotFound);
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0) {
        std::fclose(file);
        return Fail(error, LoadError::Damaged);
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(file);
        return Fail(error, LoadError::TooLarge);
    }
    PackedDib* volatile dib = nullptr;
    volatile LoadError why = LoadError::Damaged;
    if (palette)
        palette->clear();
    const bool ok = DecodePng(png, info, file, palette, dib, why);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    if (!ok) {
        DibFree(dib);
        if (palette)
            palette->clear();
        return Fail(error, why);
    }
    if (error)
        *error = LoadError::None;
    return DibPtr(dib);
}
