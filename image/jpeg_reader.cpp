// JPEG files through libjpeg-turbo, decoded straight into the image rows in blue, green,
// red order. Greyscale pictures come out at 8 bits with a grey ramp; CMYK pictures are
// converted to 24 bits. Library errors jump back here and become a failed load; a file cut
// short in its picture data loads with the missing part grey, as the library pads it.
#include "image/codec_log.h"
#include "image/loaders.h"
#include "image/picture_file.h"
#include "image/sampled_picture.h"

#include <cstddef>
#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <functional>
#include <thread>

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

// What a decode is after, and the state it keeps. Plain data only: the library's errors jump
// over the frames that use it.
struct JpegJob {
    FILE* file = nullptr;
    uint64_t fileBytes = 0;
    bool wideGrey = false;             // grey pictures delivered at 24 bits
    SampledPicture* samples = nullptr; // only these rows and columns are wanted
    bool headerOnly = false;           // stop once the header is read and judged
    unsigned reduction = 1;            // 1, 2, 4 or 8: decoded at that fraction of its size
    PackedDib* volatile dib = nullptr; // the whole picture, held raw across long jumps
    JDIMENSION firstRow = 0;           // the rows to decode, from the top; the rows
    JDIMENSION endRow = 0;             // before are read without making pixels
    bool toTheEnd = true;              // read the rest of the data after the rows
    bool grey = false;                 // delivered at 8 bits with a grey ramp
    bool cmyk = false;                 // converted to blue, green, red here
    int width = 0;                     // the picture's size as it will be delivered
    int height = 0;
};

// Reads the header, checks the picture against the limits and what it may cost, and starts
// the decompression. Jumps back on any failure.
void StartJpeg(jpeg_decompress_struct& cinfo, ErrorManager& errors, ScanWork& work, JpegJob& job) {
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &work.base;
    // Nothing of the picture's size is known yet: the markers alone may take this much.
    cinfo.mem->max_memory_to_use = long(kCodecSlackBytes);
    jpeg_stdio_src(&cinfo, job.file);
    jpeg_read_header(&cinfo, TRUE);

    job.cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Grey pictures to be widened anyway are better widened by the library, row by row.
    job.grey = cinfo.jpeg_color_space == JCS_GRAYSCALE && !job.wideGrey;
    cinfo.out_color_space = job.grey ? JCS_GRAYSCALE : job.cmyk ? JCS_CMYK : JCS_EXT_BGR;
    cinfo.scale_num = 1;
    cinfo.scale_denom = job.reduction;
    jpeg_calc_output_dimensions(&cinfo);
    const int depth = job.grey ? 8 : 24;
    if (!DibShapeLoadable(depth, cinfo.output_width, cinfo.output_height)) {
        errors.why = LoadError::TooLarge;
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
    }
    // A multi-scan file keeps the coefficients of the whole picture while it is read; the
    // library may take that much and no more for its whole-picture buffers. Reading only
    // some rows is judged as reading them all, so that a file is refused or taken alike.
    uint64_t blocks = 0, coefBytes = 0;
    CountBlocks(cinfo, &blocks, &coefBytes);
    errors.multiScan = jpeg_has_multiple_scans(&cinfo);
    if (!errors.multiScan)
        coefBytes = 0;
    // A reduced picture is judged as the whole one too: a few bytes claiming a huge picture
    // would otherwise buy a long decode of nothing.
    if (!LoadCostAllowed(LoadedPictureBytes(depth, cinfo.image_width, cinfo.image_height) +
                             coefBytes,
                         job.fileBytes)) {
        CodecLog("[JPEG Library Error] - %llu bytes cannot hold a %ux%u picture",
                 static_cast<unsigned long long>(job.fileBytes), cinfo.output_width,
                 cinfo.output_height);
        longjmp(errors.recovery, 1);
    }
    if (job.samples && (int64_t(cinfo.output_width) != job.samples->Width() ||
                        int64_t(cinfo.output_height) != job.samples->Height())) {
        CodecLog("[JPEG Library Error] - the picture is not the size its samples were taken for");
        longjmp(errors.recovery, 1);
    }
    job.width = int(cinfo.output_width);
    job.height = int(cinfo.output_height);
    if (job.headerOnly)
        return;
    cinfo.mem->max_memory_to_use = long(coefBytes + kCodecSlackBytes);
    work.allowed = kScanPassesAllowed * blocks + kScanVisitsFloor;

    jpeg_start_decompress(&cinfo);
    const int expected = job.grey ? 1 : job.cmyk ? 4 : 3;
    if (cinfo.output_components != expected)
        ERREXIT(&cinfo, JERR_BAD_J_COLORSPACE);
}

// Makes the whole picture, or checks that the one given is this picture's.
void AllocatePicture(jpeg_decompress_struct& cinfo, ErrorManager& errors, JpegJob& job) {
    const int depth = job.grey ? 8 : 24;
    if (job.dib) {
        const PackedDib* given = job.dib;
        if (DibBitCount(given) != depth || int64_t(DibWidth(given)) != cinfo.output_width ||
            int64_t(DibHeight(given)) != cinfo.output_height) {
            CodecLog("[JPEG Library Error] - the picture is not the one being decoded");
            longjmp(errors.recovery, 1);
        }
        return;
    }
    PackedDib* dib = DibCreate(depth, int(cinfo.output_width), int(cinfo.output_height)).release();
    job.dib = dib;
    if (!dib) {
        errors.why = LoadError::TooLarge;
        ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
    }
    if (job.grey) {
        uint8_t* entry = DibColorTable(dib);
        for (int i = 0; i < 256; ++i, entry += 4) {
            entry[0] = entry[1] = entry[2] = uint8_t(i);
            entry[3] = 0;
        }
    }
}

// Decodes the job's rows into the picture.
void DecodeRows(jpeg_decompress_struct& cinfo, JpegJob& job) {
    PackedDib* dib = job.dib;
    const JDIMENSION height = cinfo.output_height;
    const JDIMENSION end = job.endRow ? std::min(job.endRow, height) : height;
    if (job.firstRow > 0)
        jpeg_skip_scanlines(&cinfo, job.firstRow);
    if (job.cmyk) {
        JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                       JPOOL_IMAGE, cinfo.output_width * 4, 1);
        while (cinfo.output_scanline < end) {
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
        while (cinfo.output_scanline < end) {
            const JDIMENSION y = cinfo.output_scanline;
            const JDIMENSION count = std::min<JDIMENSION>(kBatch, end - y);
            for (JDIMENSION k = 0; k < count; ++k)
                rows[k] = DibPixelAddress(dib, 0, int(height - 1 - (y + k)));
            if (jpeg_read_scanlines(&cinfo, rows, count) == 0)
                ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        }
    }
}

// Decodes the rows of the grid and skips the others; every row's data is still read, so
// that damage anywhere in the file is found as a whole decode finds it. Columns far from
// the grid's are not decoded at all.
void DecodeSamples(jpeg_decompress_struct& cinfo, JpegJob& job) {
    SampledPicture& samples = *job.samples;
    const SampleGrid& grid = samples.Grid();
    // The smooth chroma upsampling, and the smoothing of blocks whose coefficients a cut
    // progressive file lacks (which looks two blocks aside), treat the edges of a cropped
    // row as the picture's edges: the crop keeps three block columns of margin beyond the
    // grid's on either side.
    const JDIMENSION margin = 3 * JDIMENSION(cinfo.max_h_samp_factor * cinfo.min_DCT_scaled_size);
    const JDIMENSION first = JDIMENSION(grid.columns.front());
    const JDIMENSION end =
        std::min<JDIMENSION>(cinfo.output_width, JDIMENSION(grid.columns.back()) + 1 + margin);
    JDIMENSION left = first > margin ? first - margin : 0;
    JDIMENSION width = end - left;
    if (width < cinfo.output_width - cinfo.output_width / 4)
        jpeg_crop_scanline(&cinfo, &left, &width);
    else
        left = 0;
    const JDIMENSION rowBytes = cinfo.output_width * JDIMENSION(job.cmyk ? 4 : 3);
    JSAMPARRAY buffer = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                   JPOOL_IMAGE, rowBytes, 1);
    JSAMPARRAY bgr = job.cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                           JPOOL_IMAGE, cinfo.output_width * 3, 1)
                              : buffer;
    for (size_t index = 0; index < grid.rows.size(); ++index) {
        const JDIMENSION y = JDIMENSION(grid.rows[index]);
        if (y > cinfo.output_scanline)
            jpeg_skip_scanlines(&cinfo, y - cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, buffer, 1) != 1)
            ERREXIT(&cinfo, JERR_INPUT_EMPTY);
        if (job.cmyk)
            CmykRowToBgr(buffer[0], bgr[0], cinfo.output_width, cinfo.saw_Adobe_marker);
        samples.StoreRow(index, bgr[0], int(left));
    }
    // Skipping to the very end would leave the rest of the data unread, and with it any
    // damage or a cut: the last row is decoded.
    if (cinfo.output_scanline + 1 < cinfo.output_height)
        jpeg_skip_scanlines(&cinfo, cinfo.output_height - 1 - cinfo.output_scanline);
    if (cinfo.output_scanline < cinfo.output_height && jpeg_read_scanlines(&cinfo, buffer, 1) != 1)
        ERREXIT(&cinfo, JERR_INPUT_EMPTY);
}

// Everything that may jump back through the error hook; no objects with destructors here.
// Up to the picture made (or given), ready for its rows.
bool StartDecode(jpeg_decompress_struct& cinfo, ErrorManager& errors, ScanWork& work,
                 JpegJob& job) {
    if (setjmp(errors.recovery))
        return false;
    StartJpeg(cinfo, errors, work, job);
    if (!job.headerOnly && !job.samples)
        AllocatePicture(cinfo, errors, job);
    return true;
}

// The rows or samples, and the rest of the data when the job reads to the end.
bool FinishDecode(jpeg_decompress_struct& cinfo, ErrorManager& errors, JpegJob& job) {
    if (setjmp(errors.recovery))
        return false;
    if (job.headerOnly)
        return true;
    if (job.samples) {
        DecodeSamples(cinfo, job);
    } else {
        DecodeRows(cinfo, job);
        if (!job.toTheEnd)
            return true;
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

// The decoder with this reader's error handling and work limits.
struct JpegDecoder {
    jpeg_decompress_struct cinfo = {};
    ErrorManager errors;
    ScanWork work;

    JpegDecoder() {
        cinfo.err = jpeg_std_error(&errors.base);
        errors.base.error_exit = ErrorExit;
        errors.base.output_message = OutputMessage;
        errors.base.emit_message = EmitMessage;
        work.base = {};
        work.base.progress_monitor = Progress;
        work.allowed = kScanVisitsFloor;
    }
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // Runs the job and closes its file: None, Truncated for a file cut short, or why not.
    LoadError Run(JpegJob& job) {
        const bool ok = StartDecode(cinfo, errors, work, job) && FinishDecode(cinfo, errors, job);
        return Close(job, ok);
    }

    LoadError Close(JpegJob& job, bool ok) {
        jpeg_destroy_decompress(&cinfo);
        std::fclose(job.file);
        if (!ok)
            return errors.why;
        const bool truncated = errors.cutShort || (errors.dataEnded && errors.multiScan);
        return truncated && !job.headerOnly ? LoadError::Truncated : LoadError::None;
    }
};

// Pictures from this many pixels on are decoded in two parts at once when they can be.
constexpr uint64_t kTwoPartPixels = uint64_t(8) << 20;

// The whole picture. A big single-scan picture is decoded in two parts on two threads: a
// second decoder of the same file reads the upper part's data without making its pixels
// (much the quicker part of decoding) and decodes the lower part, while the first decodes
// the upper part. The rows are those of one decoder alone; the second decoder, which reads
// all of the data, says whether the file was cut short or damaged.
LoadError DecodeWholePicture(JpegJob& job, const std::function<FILE*()>& reopen) {
    JpegDecoder upper;
    if (!StartDecode(upper.cinfo, upper.errors, upper.work, job))
        return upper.Close(job, false);
    const JDIMENSION height = upper.cinfo.output_height;
    // The library's row skipping does not take every scaled decode: a reduced picture is
    // decoded in one part.
    const bool twoParts = reopen && !upper.errors.multiScan && job.reduction == 1 &&
                          uint64_t(upper.cinfo.output_width) * height >= kTwoPartPixels &&
                          std::thread::hardware_concurrency() > 1;
    if (!twoParts)
        return upper.Close(job, FinishDecode(upper.cinfo, upper.errors, job));

    JpegJob lowerJob;
    lowerJob.file = reopen();
    if (!lowerJob.file)
        return upper.Close(job, FinishDecode(upper.cinfo, upper.errors, job));
    lowerJob.fileBytes = job.fileBytes;
    lowerJob.wideGrey = job.wideGrey;
    lowerJob.dib = job.dib;
    // The lower decoder first reads the upper part's data, so it takes fewer rows.
    lowerJob.firstRow = height / 2 + height / 16;
    job.endRow = lowerJob.firstRow;
    job.toTheEnd = false;
    LoadError lowerWhy = LoadError::None;
    std::thread lower([&] { lowerWhy = JpegDecoder().Run(lowerJob); });
    const LoadError upperWhy = upper.Close(job, FinishDecode(upper.cinfo, upper.errors, job));
    lower.join();
    if (upperWhy != LoadError::None && upperWhy != LoadError::Truncated)
        return upperWhy;
    return lowerWhy;
}

// `reopen` gives another stream of the same bytes, for a second decoder.
DibPtr ReadJpegStream(FILE* file, uint64_t fileBytes, const std::function<FILE*()>& reopen,
                      std::vector<PaletteColor>* palette, LoadError* error, bool wideGrey,
                      unsigned reduction = 1) {
    JpegJob job;
    job.file = file;
    job.fileBytes = fileBytes;
    job.wideGrey = wideGrey;
    job.reduction = reduction;
    const LoadError why = DecodeWholePicture(job, reopen);
    PackedDib* dib = job.dib;
    if (why != LoadError::None && why != LoadError::Truncated) {
        DibFree(dib);
        return Fail(error, why);
    }
    if (palette) {
        palette->clear();
        if (DibBitCount(dib) == 8)
            for (PaletteColor i = 0; i < 256; ++i)
                palette->push_back(0xFF000000u | (i << 16) | (i << 8) | i);
    }
    if (error)
        *error = why;
    return DibPtr(dib);
}

// The same file once more, as long as it still has its size.
std::function<FILE*()> ReopenFile(const std::string& path, uint64_t size) {
    return [path, size]() -> FILE* {
        uint64_t now = 0;
        LoadError why = LoadError::None;
        FILE* file = OpenPictureFile(path, &now, &why);
        if (file && now != size) {
            std::fclose(file);
            return nullptr;
        }
        return file;
    };
}

} // namespace

DibPtr ReadJpegFile(const std::string& path, std::vector<PaletteColor>* palette, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Fail(error, why);
    return ReadJpegStream(file, size, ReopenFile(path, size), palette, error, false);
}

DibPtr ReadJpegPicture(const std::string& path, LoadError* error) {
    return ReadJpegReduced(path, 1, error);
}

DibPtr ReadJpegReduced(const std::string& path, int reduction, LoadError* error) {
    if (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8)
        return Fail(error, LoadError::Unsupported);
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file)
        return Fail(error, why);
    return ReadJpegStream(file, size, ReopenFile(path, size), nullptr, error, true,
                          unsigned(reduction));
}

DibPtr ReadJpegMemory(const void* data, size_t size, LoadError* error) {
    // A read-only memory stream; the bytes are never written through it.
    FILE* file = size ? fmemopen(const_cast<void*>(data), size, "rb") : nullptr;
    if (!file)
        return Fail(error, LoadError::Damaged);
    const auto reopen = [=] { return fmemopen(const_cast<void*>(data), size, "rb"); };
    return ReadJpegStream(file, size, reopen, nullptr, error, false);
}

bool ReadJpegSamples(const std::string& path, SampledPicture* samples, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = samples && !samples->Empty() ? OpenPictureFile(path, &size, &why) : nullptr;
    if (!file) {
        if (error)
            *error = samples && !samples->Empty() ? why : LoadError::Damaged;
        return false;
    }
    JpegJob job;
    job.file = file;
    job.fileBytes = size;
    job.wideGrey = true;
    job.samples = samples;
    why = JpegDecoder().Run(job);
    if (error)
        *error = why;
    return why == LoadError::None || why == LoadError::Truncated;
}

bool ReadJpegInfo(const std::string& path, PictureInfo* info, LoadError* error) {
    uint64_t size = 0;
    LoadError why = LoadError::None;
    FILE* file = OpenPictureFile(path, &size, &why);
    if (!file) {
        Fail(error, why);
        return false;
    }
    JpegJob job;
    job.file = file;
    job.fileBytes = size;
    job.wideGrey = true;
    job.headerOnly = true;
    why = JpegDecoder().Run(job);
    if (error)
        *error = why;
    if (why != LoadError::None)
        return false;
    *info = {job.width, job.height, 24};
    return true;
}
