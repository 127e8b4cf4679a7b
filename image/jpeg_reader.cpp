// JPEG files through libjpeg-turbo, decoded straight into the image rows in blue, green,
// red order. Greyscale pictures come out at 8 bits with a grey ramp; CMYK pictures are
// converted to 24 bits. Library errors jump back here and become a failed load.
#include "image/codec_log.h"
#include "image/loaders.h"

#include <cstddef>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>

namespace {

// Progressive files can ask for an endless number of scans; real ones have a handful.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf recovery;
    bool dataEnded = false; // the file ended and the library supplied an end marker
    LoadError why = LoadError::Damaged;
};

ErrorManager* Manager(j_common_ptr cinfo) {
    return reinterpret_cast<ErrorManager*>(cinfo->err);
}

void OutputMessage(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    CodecLog("[JPEG Library Error] - %s", text);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
    (*cinfo->err->output_message)(cinfo);
    longjmp(Manager(cinfo)->recovery, 1);
}

// Warnings are logged and decoding goes on, except when the file ended while the picture
// still needed data: the library would pad it with grey, and we refuse truncated files. A
// file that only lacks its end marker loads. Data that ends before the first row of blocks
// holds no picture at all; such a file of a few bytes could otherwise claim a picture of a
// gigabyte, all grey.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    ErrorManager* errors = Manager(cinfo);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF)
        errors->dataEnded = true;
    else if (cinfo->err->msg_code == JWRN_HIT_MARKER &&
             (errors->dataEnded ||
              (decompress->input_scan_number <= 1 && decompress->input_iMCU_row == 0)))
        ErrorExit(cinfo);
    (*cinfo->err->output_message)(cinfo);
    ++cinfo->err->num_warnings;
}

void Progress(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > kMaxScans) {
        CodecLog("[JPEG Library Error] - more than %d scans", kMaxScans);
        longjmp(Manager(cinfo)->recovery, 1);
    }
}

std::nullptr_t Fail(LoadError* error, LoadError why) {
    if (error)
        *error = why;
    return nullptr;
}

void CmykRowToBgr(const JSAMPLE* in, uint8_t* out, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, in += 4, out += 3) {
        // Adobe files store the inks inverted: the samples are already 255 - ink.
        const unsigned c = inverted ? in[0] : 255u - in[0];
        const unsigned m = inverted ? in[1] : 255u - in[1];
        const unsigned y = inverted ? in[2] : 255u - in[2];
        const unsigned k = inverted ? in[3] : 255u - in[3];
        out[0] = uint8_t(y * k / 255);
        out[1] = uint8_t(m * k / 255);
        out[2] = uint8_t(c * k / 255);
    }
}

// Everything that may jump back through the error hook; no objects with destructors here.
bool DecodeJpeg(jpeg_decompress_struct& cinfo, ErrorManager& errors, jpeg_progress_mgr& progress,
                FILE* file, PackedDib* volatile& dib) {
    if (setjmp(errors.recovery))
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    // Whole-picture buffers of progressive files stay within what a picture may take.
    cinfo.mem->max_memory_to_use = long(2 * kDibMaxPixelBytes);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    const int depth = grey ? 8 : 24;
    if (!DibShapeLoadable(depth, cinfo.output_width, cinfo.output_height)) {
        errors.why = LoadError::TooLarge;
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
    }

    jpeg_start_decompress(&cinfo);
    const int expected = grey ? 1 : cmyk ? 4 : 3;
    if (cinfo.output_components != expected)
        ERREXIT(&cinfo, JERR_BAD_J_COLORSPACE);
    // Held raw across the decoder's long jumps; the caller releases it on failure.
    dib = DibCreate(depth, int(cinfo.output_width), int(cinfo.output_height)).release();
    if (!dib) {
        errors.why = LoadError::TooLarge;
        ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
    }
    if (grey) {
        uint8_t* entry = DibColorTable(dib);
        for (int i = 0; i < 256; ++i, entry += 4) {
            entry[0] = entry[1] = entry[2] = uint8_t(i);
            entry[3] = 0;
        }
    }

    const JDIMENSION height = cinfo.output_height;
    if (cmyk) {
        JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                       JPOOL_IMAGE, cinfo.output_width * 4, 1);
        while (cinfo.output_scanline < height) {
            const JDIMENSION y = cinfo.output_scanline;
            if (jpeg_read_scanlines(&cinfo, buffer, 1) != 1)
                ERREXIT(&cinfo, JERR_INPUT_EMPTY);
            CmykRowToBgr(buffer[0], DibPixelAddress(dib, 0, int(height - 1 - y)),
                         cinfo.output_width, cinfo.saw_Adobe_marker);
        }
    } else {
        // Decode into the image's own rows; the first decoded row is the last stored one.
        constexpr JDIMENSION kBatch = 16;
        JSAMPROW rows[kBatch];
        while (cinfo.output_scanline < height) {
            const JDIMENSION y = cinfo.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(kBatch, height - y);
            for (JDIMENSION k = 0; k < count; ++k)
                rows[k] = DibPixelAddress(dib, 0, int(height - 1 - (y + k)));
            if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
                ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        }
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

} // namespace

namespace {

DibPtr ReadJpegStream(FILE* file, std::vector<PaletteColor>* palette, LoadError* error) {
    jpeg_decompress_struct cinfo = {};
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = OutputMessage;
    errors.base.emit_message = EmitMessage;
    jpeg_progress_mgr progress = {};
    progress.progress_monitor = Progress;

    PackedDib* volatile dib = nullptr;
    const bool ok = DecodeJpeg(cinfo, errors, progress, file, dib);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    if (!ok) {
        DibFree(dib);
        return Fail(error, errors.why);
    }
    if (palette) {
        palette->clear();
        if (DibBitCount(dib) == 8)
            for (PaletteColor i = 0; i < 256; ++i)
                palette->push_back(0xFF000000u | (i << 16) | (i << 8) | i);
    }
    if (error)
        *error = LoadError::None;
    return DibPtr(dib);
}

} // namespace

DibPtr ReadJpegFile(const std::string& path, std::vector<PaletteColor>* palette, LoadError* error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return Fail(error, LoadError::NotFound);
    return ReadJpegStream(file, palette, error);
}

DibPtr ReadJpegMemory(const void* data, size_t size, LoadError* error) {
    // A read-only memory stream; the bytes are never written through it.
    FILE* file = size ? fmemopen(const_cast<void*>(data), size, "rb") : nullptr;
    if (!file)
        return Fail(error, LoadError::Damaged);
    return ReadJpegStream(file, nullptr, error);
}
