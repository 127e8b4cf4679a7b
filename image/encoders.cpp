#include "image/encoders.h"

#include "image/replacing_file.h"

#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>
#include <png.h>

namespace {

bool PaletteDepth(int bitCount) {
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8;
}

// Runs with everything that owns memory set up by the caller, so that the library's long
// jump skips no destructor.
bool EncodePng(const PackedDib* image, FILE* file, const std::vector<png_color>& palette) {
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
    png_init_io(png, file);
    const int bitCount = image->bitCount;
    const bool paletted = bitCount <= 8;
    png_set_IHDR(png, info, png_uint_32(image->width), png_uint_32(image->height),
                 paletted ? bitCount : 8, paletted ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (paletted)
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    png_write_info(png, info);
    if (!paletted)
        png_set_bgr(png); // our pixels are blue, green, red
    const uint32_t stride = DibRowBytes(image);
    for (int y = image->height - 1; y >= 0; --y)
        png_write_row(png, DibBits(image) + size_t(y) * stride);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct JpegErrorManager {
    jpeg_error_mgr std;
    jmp_buf recovery;
};

void JpegErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->recovery, 1);
}

void JpegOutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    std::fprintf(stderr, "[JPEG Library Error] - %s\n", text);
}

// The library's own memory destination frees its buffer when it grows it but tells the
// caller the new address only when it finishes, so after an error the caller cannot know
// what to free. Compressing straight into the caller's vector leaves nothing to free.
struct VectorDestination {
    jpeg_destination_mgr pub;
    std::vector<uint8_t>* bytes;
};

// Grows to `size` bytes and hands the library everything from `used` on.
void OfferBytes(j_compress_ptr cinfo, size_t used, size_t size) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    bool grown = true;
    try {
        dest->bytes->resize(size);
    } catch (const std::bad_alloc&) {
        grown = false;
    }
    // The long jump must not leave from inside the handler.
    if (!grown)
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 10);
    dest->pub.next_output_byte = dest->bytes->data() + used;
    dest->pub.free_in_buffer = size - used;
}

void InitVectorDestination(j_compress_ptr cinfo) {
    OfferBytes(cinfo, 0, 4096);
}

boolean EmptyVectorDestination(j_compress_ptr cinfo) {
    // The whole buffer is full, whatever the pointers say.
    const size_t used = reinterpret_cast<VectorDestination*>(cinfo->dest)->bytes->size();
    OfferBytes(cinfo, used, 2 * used);
    return TRUE;
}

void TermVectorDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->bytes->resize(dest->bytes->size() - dest->pub.free_in_buffer);
}

// Writes to `file`, or else into `*bytes`.
bool EncodeJpeg(const PackedDib* image, FILE* file, std::vector<uint8_t>* bytes,
                const JpegSettings& settings, std::vector<uint8_t>& row) {
    jpeg_compress_struct cinfo;
    JpegErrorManager err;
    cinfo.err = jpeg_std_error(&err.std);
    err.std.error_exit = JpegErrorExit;
    err.std.output_message = JpegOutputMessage;
    if (setjmp(err.recovery)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    if (file) {
        jpeg_stdio_dest(&cinfo, file);
    } else {
        // In the compressor's own pool, released with it.
        auto* dest = static_cast<VectorDestination*>((*cinfo.mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_PERMANENT, sizeof(VectorDestination)));
        dest->pub.init_destination = InitVectorDestination;
        dest->pub.empty_output_buffer = EmptyVectorDestination;
        dest->pub.term_destination = TermVectorDestination;
        dest->bytes = bytes;
        cinfo.dest = &dest->pub;
    }
    cinfo.image_width = JDIMENSION(image->width);
    cinfo.image_height = JDIMENSION(image->height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR; // our pixels are blue, green, red
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.optimize_coding = settings.optimizeCoding ? TRUE : FALSE;
    if (settings.flatTables) {
        // Equal steps at every frequency: the least squared error for the bytes spent.
        static const auto kFlat = [] {
            std::array<unsigned int, DCTSIZE2> table;
            table.fill(16);
            return table;
        }();
        const int scale = jpeg_quality_scaling(settings.quality);
        jpeg_add_quant_table(&cinfo, 0, kFlat.data(), scale, TRUE);
        jpeg_add_quant_table(&cinfo, 1, kFlat.data(), scale, TRUE);
    }
    if (settings.fullChroma) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);

    const int bitCount = image->bitCount;
    const uint32_t stride = DibRowBytes(image);
    const uint8_t* table = DibColorTable(image);
    const uint32_t entries = DibColorCount(image);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* src =
            DibBits(image) + size_t(image->height - 1 - int(cinfo.next_scanline)) * stride;
        JSAMPROW rows[1];
        if (bitCount == 24) {
            rows[0] = const_cast<JSAMPROW>(src);
        } else {
            for (int x = 0; x < image->width; ++x) {
                const unsigned index = bitCount == 8 ? src[x]
                                       : (x & 1)     ? (src[x >> 1] & 0x0F)
                                                     : (src[x >> 1] >> 4);
                uint8_t* out = &row[3 * size_t(x)];
                if (index < entries)
                    std::memcpy(out, table + 4 * index, 3);
                else
                    std::memset(out, 0, 3);
            }
            rows[0] = row.data();
        }
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// The palette an image's PNG carries: the colour-table entries in use, at most 2^depth.
std::vector<png_color> PngPalette(const PackedDib* image) {
    std::vector<png_color> palette;
    const int bitCount = image->bitCount;
    if (bitCount > 8)
        return palette;
    uint32_t count = DibColorCount(image);
    if (count > (1u << bitCount))
        count = 1u << bitCount;
    const uint8_t* table = DibColorTable(image);
    for (uint32_t i = 0; i < count; ++i)
        palette.push_back(png_color{table[4 * i + 2], table[4 * i + 1], table[4 * i]});
    return palette;
}

bool PngWritable(const PackedDib* image) {
    return image && image->width > 0 && image->height > 0 &&
           (PaletteDepth(image->bitCount) || image->bitCount == 24);
}

bool JpegWritable(const PackedDib* image) {
    return image && image->width > 0 && image->height > 0 &&
           (image->bitCount == 24 || image->bitCount == 8 || image->bitCount == 4);
}

} // namespace

int WritePngStream(const PackedDib* image, FILE* stream) {
    if (!PngWritable(image) || !stream)
        return 0;
    return EncodePng(image, stream, PngPalette(image)) ? 1 : 0;
}

int WriteJpegStream(const PackedDib* image, FILE* stream, int quality) {
    return WriteJpegStream(image, stream, JpegSettings{quality});
}

int WriteJpegStream(const PackedDib* image, FILE* stream, const JpegSettings& settings) {
    if (!JpegWritable(image) || !stream)
        return 0;
    std::vector<uint8_t> row(size_t(image->width) * 3);
    return EncodeJpeg(image, stream, nullptr, settings, row) ? 1 : 0;
}

bool EncodeJpegMemory(const PackedDib* image, const JpegSettings& settings,
                      std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (!JpegWritable(image))
        return false;
    std::vector<uint8_t> row(size_t(image->width) * 3);
    if (EncodeJpeg(image, nullptr, bytes, settings, row))
        return true;
    bytes->clear();
    return false;
}

int WritePngFile(const PackedDib* image, const std::string& path) {
    if (!PngWritable(image))
        return 0;
    ReplacingFile file(path);
    return WritePngStream(image, file.stream()) && file.Commit() ? 1 : 0;
}

int WriteJpegFile(const PackedDib* image, const std::string& path, int quality) {
    return WriteJpegFile(image, path, JpegSettings{quality});
}

int WriteJpegFile(const PackedDib* image, const std::string& path, const JpegSettings& settings) {
    if (!JpegWritable(image))
        return 0;
    ReplacingFile file(path);
    return WriteJpegStream(image, file.stream(), settings) && file.Commit() ? 1 : 0;
}
