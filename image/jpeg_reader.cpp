// JPEG files through libjpeg-turbo, decoded straight into the image rows in blue, green,
// red order. Greyscale pictures come out at 8 bits with a grey ramp; CMYK pictures are
// converted to 24 bits. Library errors jump back here and become a failed load; a file cut
// short in its picture data loads with the missing part grey, as the library pads it.
#include "image/codec_log.h"
#include "image/loaders.h"
#include "image/picture_file.h"

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
// Every scan walks the blocks of its components, even one that codes nothing, so a few
// bytes per scan can cost seconds on a big picture. Real files visit each block five or six
// times (the usual scripts of ten scans); twice that, plus a little, is all we decode.
constexpr uint64_t kScanPassesAllowed = 12;
constexpr uint64_t kScanVisitsFloor = uint64_t(1) << 20;
// Room for the library's row buffers beside the whole-picture coefficients.
constexpr uint64_t kCodecSlackBytes = uint64_t(16) << 20;

struct ErrorManager {
    jpeg_error_mgr base;
    jmp_buf recovery;
    bool dataEnded = false; // the file ended and the library supplied an end marker
    bool cutShort = false;  // a scan ran out of data before its last block
    bool multiScan = false; // scans after the end may be missing without any sign
    LoadError why = LoadError::Damaged;
};

// Counts the blocks the scans visit, against what the picture may cost.
struct ScanWork {
    jpeg_progress_mgr base;
    uint64_t visited = 0;
    uint64_t allowed = 0;
    int scan = 0;            // the scan being read
    JDIMENSION rowsDone = 0; // and its rows of blocks counted so far
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
    switch (cinfo->err->msg_code) {
    case JERR_BAD_PRECISION:   // 12- and 16-bit samples
    case JERR_SOF_UNSUPPORTED: // lossless and hierarchical coding
    case JERR_ARITH_NOTIMPL:   // arithmetic coding, where the library lacks it
    case JERR_NOT_COMPILED:
        Manager(cinfo)->why = LoadError::Unsupported;
        break;
    default:
        break;
    }
    (*cinfo->err->output_message)(cinfo);
    longjmp(Manager(cinfo)->recovery, 1);
}

// Warnings are logged and decoding goes on. When the file ends, the library supplies an end
// marker; a scan that runs into a marker leaves the rest of its blocks grey, and the picture
// is then reported truncated. Data that ends before the first row of blocks holds no
// picture at all and is refused.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0)
        return;
    ErrorManager* errors = Manager(cinfo);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (cinfo->err->msg_code == JWRN_JPEG_EOF) {
        errors->dataEnded = true;
    } else if (cinfo->err->msg_code == JWRN_HIT_MARKER) {
        if (decompress->input_scan_number <= 1 && decompress->input_iMCU_row == 0)
            ErrorExit(cinfo);
        errors->cutShort = true;
    }
    (*cinfo->err->output_message)(cinfo);
    ++cinfo->err->num_warnings;
}

// Called while scans are read and output rows made; counts the rows of blocks read since.
void Progress(j_common_ptr cinfo) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* work = reinterpret_cast<ScanWork*>(decompress->progress);
    if (decompress->input_scan_number > kMaxScans) {
        CodecLog("[JPEG Library Error] - more than %d scans", kMaxScans);
        longjmp(Manager(cinfo)->recovery, 1);
    }
    if (decompress->input_scan_number != work->scan) {
        work->scan = decompress->input_scan_number;
        work->rowsDone = 0;
    }
    if (decompress->input_iMCU_row <= work->rowsDone)
        return;
    // A row of a single-component scan is that component's vertical sampling factor high.
    const uint64_t height =
        decompress->comps_in_scan == 1 ? uint64_t(decompress->cur_comp_info[0]->v_samp_factor) : 1;
    work->visited += uint64_t(decompress->input_iMCU_row - work->rowsDone) *
                     uint64_t(decompress->MCUs_per_row) * uint64_t(decompress->blocks_in_MCU) *
                     height;
    work->rowsDone = decompress->input_iMCU_row;
    if (work->visited > work->allowed) {
        CodecLog("[JPEG Library Error] - the scans ask for too much work for the picture");
        longjmp(Manager(cinfo)->recovery, 1);
    }
}

// Blocks of the whole picture, and the bytes of the coefficients a multi-scan file keeps
// for all of them (each component padded to whole rows and columns of its sampling).
void CountBlocks(const jpeg_decompress_struct& cinfo, uint64_t* blocks, uint64_t* coefBytes) {
    *blocks = *coefBytes = 0;
    for (int c = 0; c < cinfo.num_components; ++c) {
        const jpeg_component_info& comp = cinfo.comp_info[c];
        const auto round = [](uint64_t n, uint64_t step) { return (n + step - 1) / step * step; };
        *blocks += uint64_t(comp.width_in_blocks) * comp.height_in_blocks;
        *coefBytes += round(comp.width_in_blocks, uint64_t(comp.h_samp_factor)) *
                      round(comp.height_in_blocks, uint64_t(comp.v_samp_factor)) * sizeof(JBLOCK);
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
bool DecodeJpeg(jpeg_decompress_struct& cinfo, ErrorManager& errors, ScanWork& work, FILE* file,
                uint64_t fileBytes, bool wideGrey, PackedDib* volatile& dib) {
    if (setjmp(errors.recovery))
        return false;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &work.base;
    // Nothing of the picture's size is known yet: the markers alone may take this much.
    cinfo.mem->max_memory_to_use = long(kCodecSlackBytes);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Grey pictures to be widened anyway are better widened by the library, row by row.
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE && !wideGrey;
    cinfo.out_color_space = grey ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&cinfo);
    const int depth = grey ? 8 : 24;
    if (!DibShapeLoadable(depth, cinfo.output_width, cinfo.output_height)) {
        errors.why = LoadError::TooLarge;
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
    }
    // A multi-scan file keeps the coefficients of the whole picture while it is read; the
    // library may take that much and no more for its whole-picture buffers.
    uint64_t blocks = 0, coefBytes = 0;
    CountBlocks(cinfo, &blocks, &coefBytes);
    errors.multiScan = jpeg_has_multiple_scans(&cinfo);
    if (!errors.multiScan)
        coefBytes = 0;
    if (!LoadCostAllowed(LoadedPictureBytes(depth, cinfo.output_width, cinfo.output_height) +
                             coefBytes,
                         fileBytes)) {
        CodecLog("[JPEG Library Error] - %llu bytes cannot hold a %ux%u picture",
                 static_cast<unsigned long long>(fileBytes), cinfo.output_width,
                 cinfo.output_height);
        longjmp(errors.recovery, 1);
    }
    cinfo.mem->max_memory_to_use = long(coefBytes + kCodecSlackBytes);
    work.allowed = kScanPassesAllowed * blocks + kScanVisitsFloor;

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

DibPtr ReadJpegStream(FILE* file, uint64_t fileBytes, std::vector<PaletteColor>* palette,
                      LoadError* error, bool wideGrey = false) {
    jpeg_decompress_struct cinfo = {};
    ErrorManager errors;
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = ErrorExit;
    errors.base.output_message = OutputMessage;
    errors.base.emit_message = EmitMessage;
    ScanWork work;
    work.base = {};
    work.base.progress_monitor = Progress;
    work.allowed = kScanVisitsFloor;

    PackedDib* volatile dib = nullptr;
    const bool ok = DecodeJpeg(cinfo, errors, work, file, fileBytes, wideGrey, dib);
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
    const bool truncated = errors.cutShort || (errors.dataEnded && errors.multiScan);
    if (error)
        *error = truncated ? LoadError::Truncated : LoadError::None;
    return DibPtr(dib);
}

} // namespace

DibPtr ReadJpegFile(const std::string& path, std::vector<PaletteColor>* palette, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Fail(error, why);
    return ReadJpegStream(file, size, palette, error);
}

DibPtr ReadJpegPicture(const std::string& path, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Fail(error, why);
    return ReadJpegStream(file, size, nullptr, error, true);
}

DibPtr ReadJpegMemory(const void* data, size_t size, LoadError* error) {
    // A read-only memory stream; the bytes are never written through it.
    FILE* file = size ? fmemopen(const_cast<void*>(data), size, "rb") : nullptr;
    if (!file)
        return Fail(error, LoadError::Damaged);
    return ReadJpegStream(file, size, nullptr, error);
}
