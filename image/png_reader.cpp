// PNG files through libpng. Transparent pixels are blended onto sky blue (black for grey
// pictures); palette and low-depth grey pictures keep their depth, everything else comes out
// at 24 bits. Library errors jump back here and become a failed load, except that a file cut
// short in its picture data loads with the missing rows black.
#include "image/codec_log.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "image/sampled_picture.h"

#include <png.h>

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

// Chunks that only describe the picture, skipped unread: nothing here uses them, and text
// chunks in particular can each inflate to megabytes.
constexpr png_byte kSkippedChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0eXIf\0tIME\0hIST\0";
constexpr int kSkippedChunkCount = int(sizeof kSkippedChunks / 5);
// Chunks of other kinds libpng would keep in memory.
constexpr png_uint_32 kMaxCachedChunks = 32;

// What the push reader's callbacks share: plain data only, as errors jump over the frames
// that hold it.
struct PngDecode {
    uint64_t fileBytes = 0;
    std::vector<PaletteColor>* palette = nullptr;
    bool headerOnly = false;           // stop once the header is read and judged
    SampledPicture* samples = nullptr; // only these rows and columns are wanted
    PackedDib* dib = nullptr;          // the whole picture, or one row of it for samples
    PackedDib* wideRow = nullptr;      // a row of samples widened to 24 bits
    int depth = 0;
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool interlaced = false;
    LoadError why = LoadError::Damaged;
    uint64_t rowsRead = 0; // row callbacks with data, over all passes
    int lastPass = 0;      // the last pass with pixels, and its last row in the picture
    png_uint_32 lastRow = 0;
    bool rowsDone = false;  // that row has come
    bool complete = false;  // the end of the file's picture was reached
    bool fileEnded = false; // the file ended first
    bool dataShort = false; // the picture data stopped although the file went on
};

PngDecode* State(png_structp png) {
    return static_cast<PngDecode*>(png_get_progressive_ptr(png));
}

[[noreturn]] void PngError(png_structp png, png_const_charp message) {
    CodecLog("[PNG Library Error] - %s", message);
    if (std::strcmp(message, "Not enough compressed data") == 0)
        static_cast<PngDecode*>(png_get_error_ptr(png))->dataShort = true;
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

// Keeps the grid's columns of stored row `row` of the image as grid row `index`.
void StoreSampleRow(PngDecode& state, size_t index, int row) {
    if (!state.wideRow) {
        state.samples->StoreRow(index, DibPixelAddress(state.dib, 0, row), 0);
        return;
    }
    DibWidenRow(state.dib, row, DibBits(state.wideRow));
    state.samples->StoreRow(index, DibBits(state.wideRow), 0);
}

// The header is in: check the shape, make the image and set the transforms.
void HeaderRead(png_structp png, png_infop info) {
    PngDecode& state = *State(png);
    // libpng may come back here for a damaged file's second run of picture data.
    if (state.dib)
        png_error(png, "the picture data starts twice");
    png_uint_32 width = 0, height = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    const int depth = DibDepthFor(colorType, bitDepth);
    if (!DibShapeLoadable(depth, width, height)) {
        state.why = LoadError::TooLarge;
        png_error(png, "picture beyond the size limits");
    }
    // Reading only some rows is judged as reading them all, so that a file is refused or
    // taken alike.
    if (!LoadCostAllowed(LoadedPictureBytes(depth, width, height), state.fileBytes))
        png_error(png, "far too few bytes for the picture");
    state.depth = depth;
    state.width = width;
    state.height = height;
    state.interlaced = interlace != PNG_INTERLACE_NONE;
    if (state.headerOnly) {
        state.complete = true;
        png_process_data_pause(png, 0);
        return;
    }
    if (state.samples &&
        (int64_t(width) != state.samples->Width() || int64_t(height) != state.samples->Height()))
        png_error(png, "the picture is not the size its samples were taken for");
    // Interlaced rows come in passes that build on each other: those are read whole.
    const bool oneRow = state.samples && !state.interlaced;
    // Held raw across the decoder's long jumps; the caller releases it on failure.
    PackedDib* dib = state.dib = DibCreate(depth, int(width), oneRow ? 1 : int(height)).release();
    if (!dib) {
        state.why = LoadError::TooLarge;
        png_error(png, "out of memory");
    }
    if (state.samples && depth != 24) {
        state.wideRow = DibCreate(24, int(width), 1).release();
        if (!state.wideRow) {
            state.why = LoadError::TooLarge;
            png_error(png, "out of memory");
        }
    }
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp plte = nullptr;
        int count = 0;
        if (!png_get_PLTE(png, info, &plte, &count))
            png_error(png, "palette picture without a palette");
        // The copy is taken now, so transparency cannot change the palette's colours.
        ApplyFilePalette(dib, plte, count, state.palette);
    } else if (depth <= 8) {
        FillGreyTable(dib);
        if (state.palette)
            *state.palette = TableAsPalette(dib);
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
    state.lastRow = height - 1;
    if (interlace != PNG_INTERLACE_NONE) {
        const int passes = png_set_interlace_handling(png);
        // Passes without a row or a column bring no pixels.
        for (int pass = 0; pass < passes; ++pass)
            if (PNG_PASS_COLS(width, pass) > 0 && PNG_PASS_ROWS(height, pass) > 0) {
                state.lastPass = pass;
                state.lastRow = PNG_ROW_FROM_PASS_ROW(PNG_PASS_ROWS(height, pass) - 1, pass);
            }
    }
    png_read_update_info(png, info);
    // Rows the file never delivers keep the image's first colour, as a whole picture's do.
    if (oneRow && depth != 24)
        for (size_t index = 0; index < state.samples->Grid().rows.size(); ++index)
            StoreSampleRow(state, index, 0);

    const size_t rowBytes = depth == 24 ? size_t(width) * 3 : (size_t(depth) * width + 7) / 8;
    if (png_get_rowbytes(png, info) != rowBytes)
        png_error(png, "unexpected row layout");
}

// A row of a pass is decoded; later passes merge into what earlier ones left (the early
// passes of an interlaced picture fill whole blocks, which later ones refine).
void RowRead(png_structp png, png_bytep row, png_uint_32 y, int pass) {
    PngDecode& state = *State(png);
    // Interlaced rows come for every pass, without data for those the pass skips.
    if (!row || !state.dib || y >= state.height)
        return;
    if (state.samples && !state.interlaced) {
        const int index = state.samples->RowIndex(int(y));
        if (index >= 0) {
            png_progressive_combine_row(png, DibBits(state.dib), row);
            StoreSampleRow(state, size_t(index), 0);
        }
    } else {
        png_progressive_combine_row(
            png, DibPixelAddress(state.dib, 0, DibHeight(state.dib) - 1 - int(y)), row);
    }
    ++state.rowsRead;
    if (pass == state.lastPass && y == state.lastRow)
        state.rowsDone = true;
}

void EndRead(png_structp png, png_infop) {
    State(png)->complete = true;
}

// Feeds the file to libpng's push reader, which hands over each row as soon as its data is
// in, so a file cut short keeps every row it holds. True when the whole picture was read;
// false on an error or when the file ends first (the state tells which).
bool DecodePng(png_structp png, png_infop info, FILE* file) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_user_limits(png, kDibMaxSide, kDibMaxSide);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    // Every chunk has a checksum of its own; zlib's second one over the inflated rows costs a
    // fifth of the time of a big picture and finds nothing those miss.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // Fuzzed files rarely carry right checksums; let the decoder see what they hold.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#endif
    png_byte buffer[32768];
    while (!State(png)->complete) {
        const size_t n = std::fread(buffer, 1, sizeof buffer, file);
        if (n == 0) {
            State(png)->fileEnded = true;
            return false;
        }
        png_process_data(png, info, buffer, n);
    }
    return true;
}

} // namespace

namespace {

// Reads the file into the state: None, Truncated for a file cut short that still holds
// rows, or why it failed. On failure the state's images are released.
LoadError RunPng(const std::string& path, PngDecode& state) {
    uint64_t fileBytes = 0;
    LoadError opened = LoadError::None;
    FILE* file = OpenPictureFile(path, &fileBytes, &opened);
    if (!file)
        return opened;
    png_byte signature[8];
    if (std::fread(signature, 1, sizeof signature, file) != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0 || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return LoadError::Damaged;
    }
    state.fileBytes = fileBytes;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(file);
        return LoadError::TooLarge;
    }
    png_set_progressive_read_fn(png, &state, HeaderRead, RowRead, EndRead);
    bool ok = DecodePng(png, info, file);
    png_destroy_read_struct(&png, &info, nullptr);
    const bool ended = state.fileEnded || state.dataShort;
    std::fclose(file);
    // Data that ends inside the rows leaves the rest black (as the image starts out); data
    // that ends after them lacks only what follows the picture. Without a single row there
    // is no picture.
    LoadError result = LoadError::None;
    if (!ok && ended && state.rowsRead > 0) {
        ok = true;
        result = state.rowsDone ? LoadError::None : LoadError::Truncated;
    }
    DibFree(state.wideRow);
    state.wideRow = nullptr;
    if (!ok) {
        DibFree(state.dib);
        state.dib = nullptr;
        return state.why;
    }
    return result;
}

} // namespace

DibPtr ReadPngFile(const std::string& path, std::vector<PaletteColor>* palette, LoadError* error) {
    PngDecode state;
    state.palette = palette;
    if (palette)
        palette->clear();
    const LoadError why = RunPng(path, state);
    if (why != LoadError::None && why != LoadError::Truncated) {
        if (palette)
            palette->clear();
        return Fail(error, why);
    }
    if (error)
        *error = why;
    return DibPtr(state.dib);
}

bool ReadPngSamples(const std::string& path, SampledPicture* samples, LoadError* error) {
    if (!samples || samples->Empty()) {
        Fail(error, LoadError::Damaged);
        return false;
    }
    PngDecode state;
    state.samples = samples;
    const LoadError why = RunPng(path, state);
    if (error)
        *error = why;
    if (why != LoadError::None && why != LoadError::Truncated)
        return false;
    DibPtr dib(state.dib);
    if (state.interlaced) {
        // Read whole: keep the grid's rows of it.
        const SampleGrid& grid = samples->Grid();
        DibPtr wide(DibCreate(24, int(state.width), 1));
        if (!wide) {
            Fail(error, LoadError::TooLarge);
            return false;
        }
        state.samples = samples;
        state.dib = dib.get();
        state.wideRow = state.depth == 24 ? nullptr : wide.get();
        for (size_t index = 0; index < grid.rows.size(); ++index)
            StoreSampleRow(state, index, int(state.height) - 1 - grid.rows[index]);
    }
    return true;
}

bool ReadPngInfo(const std::string& path, PictureInfo* info, LoadError* error) {
    PngDecode state;
    state.headerOnly = true;
    const LoadError why = RunPng(path, state);
    // Without its header no picture comes.
    const bool ok = why == LoadError::None && state.width > 0;
    if (error)
        *error = ok ? LoadError::None : why == LoadError::None ? LoadError::Damaged : why;
    if (!ok)
        return false;
    // Palette and grey pictures come out widened to 24 bits.
    *info = {int(state.width), int(state.height), 24};
    return true;
}
