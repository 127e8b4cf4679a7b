// Memory and time of loading small hostile files, and real pictures beside them, against the
// goals: a damaged or truncated file may cost at most 64 MB plus 64 KB for every byte it
// holds; no picture may need more than twice its decoded 24-bit size plus 64 MB; any file
// under 1 MB is decoded or refused within 2 s. Every file is crafted here (nothing big is
// stored) and loaded by a fresh process, whose peak resident memory and wall time are shown.
//
//   build/test/bin/bench_hostile_files [--keep FOLDER] [--large]
//
// --large adds 37-megapixel progressive photos and flat pictures of hundreds of megapixels
// in under a megabyte (slow to write). The exit
// status is 1 when a file misses a goal.
#include "image/dib.h"
#include "image/loaders.h"
#include "plugins/plugin_host.h"

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string kPhoto = std::string(MOKOA_TESTDATA_DIR) + "/photos/kite-2560x1600.jpg";
constexpr uint64_t kMiB = 1 << 20;

using Bytes = std::string;

void Put16(Bytes& b, unsigned v) {
    b += char(v >> 8);
    b += char(v);
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFF);
}
void PutLe16(Bytes& b, unsigned v) {
    b += char(v);
    b += char(v >> 8);
}
void PutLe32(Bytes& b, uint32_t v) {
    PutLe16(b, v & 0xFFFF);
    PutLe16(b, v >> 16);
}

// ---- JPEG by hand: one-symbol Huffman tables, so a block costs a bit or two.

void Marker(Bytes& b, unsigned code, const Bytes& body) {
    Put16(b, 0xFF00 | code);
    Put16(b, unsigned(body.size() + 2));
    b += body;
}

// Start of picture, flat quantisation, the frame header and two tables of one code each:
// DC category 0 and, for AC, the symbol `ac` (0x00 end of block, 0xE0 a run of them).
Bytes JpegHead(bool progressive, int components, uint32_t width, uint32_t height, int ac) {
    Bytes b = "\xFF\xD8";
    Marker(b, 0xDB, Bytes(1, '\0') + Bytes(64, '\1'));
    Bytes sof;
    sof += char(8);
    Put16(sof, height);
    Put16(sof, width);
    sof += char(components);
    for (int c = 1; c <= components; ++c)
        sof += {char(c), char(0x11), char(0)};
    Marker(b, progressive ? 0xC2 : 0xC0, sof);
    for (int cls : {0, 1}) {
        Bytes dht(1, char(cls << 4));
        dht += '\1';
        dht += Bytes(15, '\0');
        dht += char(cls == 0 ? 0 : ac);
        Marker(b, 0xC4, dht);
    }
    return b;
}

Bytes Scan(int components, int ss, int se) {
    Bytes sos(1, char(components));
    for (int c = 1; c <= components; ++c)
        sos += {char(c), char(0)};
    sos += {char(ss), char(se), char(0)};
    Bytes b;
    Marker(b, 0xDA, sos);
    return b;
}

// ---- PNG by hand.

void Chunk(Bytes& b, const char* type, const Bytes& data) {
    Put32(b, uint32_t(data.size()));
    Bytes body = Bytes(type, 4) + data;
    b += body;
    Put32(b, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(uLong(raw.size()));
    Bytes out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    out.resize(size);
    return out;
}

// A 1 x 1 RGB picture followed by `count` compressed text chunks of 15 MB of text each.
Bytes PngWithTexts(int count) {
    Bytes b = "\x89PNG\r\n\x1A\n";
    Bytes ihdr;
    Put32(ihdr, 1);
    Put32(ihdr, 1);
    ihdr += {char(8), char(2), char(0), char(0), char(0)};
    Chunk(b, "IHDR", ihdr);
    const Bytes text = Deflate(Bytes(15 << 20, 'a'));
    for (int i = 0; i < count; ++i) {
        if (i % 2 == 0)
            Chunk(b, "zTXt", Bytes("Comment\0\0", 9) + text);
        else
            Chunk(b, "iTXt", Bytes("Comment\0\1\0\0\0", 12) + text);
    }
    Chunk(b, "IDAT", Deflate(Bytes(4, '\0')));
    Chunk(b, "IEND", "");
    return b;
}

// ---- Pictures through the libraries themselves.

bool WriteJpegRows(const std::string& path, uint32_t width, uint32_t height, int components,
                   bool progressive, bool fullChroma, int quality,
                   const std::function<void(uint32_t, uint8_t*)>& row) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (fullChroma)
        for (int c = 0; c < cinfo.num_components; ++c)
            cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    if (progressive)
        jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<uint8_t> buffer(size_t(width) * components);
    while (cinfo.next_scanline < height) {
        row(cinfo.next_scanline, buffer.data());
        JSAMPROW p = buffer.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(file) == 0;
}

bool WritePngRows(const std::string& path, uint32_t width, uint32_t height, bool interlaced,
                  const std::function<void(uint32_t, uint8_t*)>& row) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 9);
    png_write_info(png, info);
    std::vector<uint8_t> buffer(size_t(width) * 3);
    const int passes = interlaced ? png_set_interlace_handling(png) : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (uint32_t y = 0; y < height; ++y) {
            row(y, buffer.data());
            png_write_row(png, buffer.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// Rows of the kite photo, repeated to fill a bigger picture (red, green, blue).
class PhotoRows {
public:
    PhotoRows() : photo_(ReadJpegFile(kPhoto)) {}
    bool ok() const { return photo_ != nullptr; }
    std::function<void(uint32_t, uint8_t*)> Rows(uint32_t width) const {
        return [this, width](uint32_t y, uint8_t* out) {
            const PackedDib* p = photo_.get();
            const int row = DibHeight(p) - 1 - int(y % uint32_t(DibHeight(p)));
            for (uint32_t x = 0; x < width; ++x) {
                const uint8_t* s = DibPixelAddress(p, int(x % uint32_t(DibWidth(p))), row);
                out[3 * x] = s[2];
                out[3 * x + 1] = s[1];
                out[3 * x + 2] = s[0];
            }
        };
    }

private:
    DibPtr photo_;
};

Bytes ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

struct Case {
    std::string name;
    bool damaged; // crafted to claim far more than it holds, or cut short
    std::string note;
};

// Writes every file into `folder`; the cases in order.
std::vector<Case> MakeFiles(const fs::path& folder, bool large) {
    std::vector<Case> cases;
    auto add = [&](const std::string& name, const Bytes& bytes, bool damaged, const char* note) {
        WriteAll((folder / name).string(), bytes);
        cases.push_back({name, damaged, note});
    };

    // A progressive 30000 x 11930 grey picture whose first scan stops after two rows of
    // blocks (one bit each), and a baseline 18000 x 18000 one with a kilobyte of data; both
    // end with an end marker.
    {
        Bytes b = JpegHead(true, 1, 30000, 11930, 0);
        b += Scan(1, 0, 0) + Bytes(1000, '\0') + "\xFF\xD9";
        add("progressive-cut.jpg", b, true, "359-byte kind: 358 Mpx claimed, cut in scan 1");
    }
    {
        Bytes b = JpegHead(false, 1, 18000, 18000, 0);
        b += Scan(1, 0, 63) + Bytes(1100, '\0') + "\xFF\xD9";
        add("baseline-cut.jpg", b, true, "1.3 KB kind: 324 Mpx claimed, data ends early");
    }
    // Progressive grey pictures with 999 scans that code nothing: 10000 x 10000, and
    // 18000 x 18000 padded with a comment to the size that lets it be allocated.
    for (const uint32_t side : {10000u, 18000u}) {
        Bytes b = JpegHead(true, 1, side, side, 0xE0);
        if (side > 10000)
            for (int i = 0; i < 1; ++i)
                Marker(b, 0xFE, Bytes(32000, 'x'));
        b += Scan(1, 0, 0) + Bytes(side / 32, '\0');
        for (int i = 0; i < 998; ++i)
            b += Scan(1, 1, 63);
        b += "\xFF\xD9";
        add("999-scans-" + std::to_string(side) + ".jpg", b, true,
            side > 10000 ? "34 KB kind: 999 scans of 5 M blocks" : "999 scans of 1.6 M blocks");
    }
    // One pixel behind compressed text chunks of 16 MB each.
    add("text-chunks.png", PngWithTexts(146), true, "2.3 MB kind: 146 text chunks of 15 MB");
    // A 1 x 1 frame on a 30000 x 11930 screen.
    {
        Bytes b = "GIF89a";
        PutLe16(b, 30000);
        PutLe16(b, 11930);
        b += {char(0x80), char(0), char(0)};
        b += Bytes("\0\0\0\xFF\xFF\xFF", 6);
        b += ',';
        b += Bytes(4, '\0');
        PutLe16(b, 1);
        PutLe16(b, 1);
        b += {char(0), char(2), char(2), char(0x44), char(0x01), char(0), ';'};
        add("huge-screen.gif", b, true, "35 bytes: 1 x 1 frame on a 358 Mpx screen");
    }
    // Run-length BMPs of 30000 x 11930 at 4 bits: one ends its picture at once, one has no
    // data at all.
    for (const bool ends : {true, false}) {
        Bytes b = "BM";
        const Bytes data = ends ? Bytes("\0\1", 2) : Bytes();
        PutLe32(b, uint32_t(14 + 40 + 64 + data.size()));
        PutLe32(b, 0);
        PutLe32(b, 14 + 40 + 64);
        PutLe32(b, 40);
        PutLe32(b, 30000);
        PutLe32(b, 11930);
        PutLe16(b, 1);
        PutLe16(b, 4);
        PutLe32(b, 2); // RLE4
        PutLe32(b, uint32_t(data.size()));
        PutLe32(b, 0);
        PutLe32(b, 0);
        PutLe32(b, 16);
        PutLe32(b, 0);
        b += Bytes(64, '\x40');
        b += data;
        add(ends ? "rle4-ends-at-once.bmp" : "rle4-no-data.bmp", b, true,
            "120-byte kind: 358 Mpx of run-length data");
    }

    // Real pictures, whole and cut in half.
    PhotoRows photo;
    if (!photo.ok()) {
        std::fprintf(stderr, "no test photo at %s; only the crafted files\n", kPhoto.c_str());
        return cases;
    }
    const fs::path base = folder / "photo.jpg";
    fs::copy_file(kPhoto, base, fs::copy_options::overwrite_existing);
    cases.push_back({"photo.jpg", false, "2560 x 1600 baseline"});
    const uint32_t w = 2560, h = 1600;
    WriteJpegRows((folder / "photo-progressive.jpg").string(), w, h, 3, true, false, 90,
                  photo.Rows(w));
    cases.push_back({"photo-progressive.jpg", false, "2560 x 1600 progressive 4:2:0"});
    WritePngRows((folder / "photo.png").string(), w, h, false, photo.Rows(w));
    cases.push_back({"photo.png", false, "2560 x 1600 RGB"});
    WritePngRows((folder / "photo-interlaced.png").string(), w, h, true, photo.Rows(w));
    cases.push_back({"photo-interlaced.png", false, "2560 x 1600 RGB, interlaced"});
    for (const char* name :
         {"photo.jpg", "photo-progressive.jpg", "photo.png", "photo-interlaced.png"}) {
        const Bytes whole = ReadAll((folder / name).string());
        const std::string cut = std::string("half-") + name;
        add(cut, whole.substr(0, whole.size() / 2), true, "cut in half");
    }

    if (large) {
        // 37 Mpx progressive at 4:2:0 and 4:4:4: the coefficients and the picture at once.
        const uint32_t bw = 7680, bh = 4800;
        WriteJpegRows((folder / "large-420.jpg").string(), bw, bh, 3, true, false, 90,
                      photo.Rows(bw));
        cases.push_back({"large-420.jpg", false, "7680 x 4800 progressive 4:2:0"});
        WriteJpegRows((folder / "large-444.jpg").string(), bw, bh, 3, true, true, 90,
                      photo.Rows(bw));
        cases.push_back({"large-444.jpg", false, "7680 x 4800 progressive 4:4:4"});
        // Flat pictures of hundreds of megapixels in under a megabyte.
        const auto flat = [](size_t bytes) {
            return [bytes](uint32_t, uint8_t* row) { std::memset(row, 0x80, bytes); };
        };
        WriteJpegRows((folder / "flat-grey.jpg").string(), 15800, 15800, 1, true, false, 50,
                      flat(15800));
        cases.push_back({"flat-grey.jpg", false, "15800 x 15800 grey progressive"});
        WritePngRows((folder / "flat.png").string(), 18000, 18000, false, flat(18000 * 3));
        cases.push_back({"flat.png", false, "18000 x 18000 RGB"});
    }
    return cases;
}

// The coefficients a multi-scan JPEG keeps for the whole picture while it is read (0 for
// other files): a progressive picture needs them and the picture at once, which at 4:4:4
// is more than twice the picture.
uint64_t CoefficientBytes(const std::string& path) {
    if (fs::path(path).extension() != ".jpg")
        return 0;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    uint64_t bytes = 0;
    if (jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK && jpeg_has_multiple_scans(&cinfo))
        for (int c = 0; c < cinfo.num_components; ++c)
            bytes += uint64_t(cinfo.comp_info[c].width_in_blocks) *
                     cinfo.comp_info[c].height_in_blocks * sizeof(JBLOCK);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return bytes;
}

// This process's peak resident memory in bytes (the figure the kernel keeps survives exec,
// so the child reports its own).
uint64_t PeakResident() {
    std::ifstream status("/proc/self/status");
    std::string key;
    uint64_t kib = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> kib;
            break;
        }
        status.ignore(1 << 20, '\n');
    }
    return kib * 1024;
}

// The child: loads one file and prints "peak width height reason".
int LoadOne(const std::string& path) {
    LoadPluginFolder(PluginFolderBesideExecutable());
    LoadError why = LoadError::None;
    DibPtr dib(LoadImageFile(path, &why));
    std::printf("%llu %d %d %s\n", static_cast<unsigned long long>(PeakResident()),
                dib ? DibWidth(dib.get()) : 0, dib ? DibHeight(dib.get()) : 0, LoadErrorText(why));
    return 0;
}

struct Measured {
    double seconds = 0; // wall
    double cpu = 0;     // user and system
    uint64_t peakBytes = 0;
    int width = 0, height = 0;
    std::string reason;
};

Measured Measure(const std::string& path) {
    int out[2];
    Measured m;
    if (pipe(out) != 0)
        return m;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl("/proc/self/exe", "bench_hostile_files", "--load", path.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    unsigned long long peak = 0;
    char reason[200] = {};
    std::sscanf(text.c_str(), "%llu %d %d %199[^\n]", &peak, &m.width, &m.height, reason);
    m.peakBytes = peak;
    m.reason = WIFEXITED(status) && WEXITSTATUS(status) == 0 ? reason : "crashed";
    return m;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load") == 0)
        return LoadOne(argv[2]);
    fs::path folder;
    bool keep = false, large = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--keep") == 0 && i + 1 < argc) {
            folder = argv[++i];
            keep = true;
        } else if (std::strcmp(argv[i], "--large") == 0) {
            large = true;
        }
    }
    if (folder.empty()) {
        std::string pattern = (fs::temp_directory_path() / "mokoa-hostile-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            return 2;
        folder = pattern;
    }
    fs::create_directories(folder);
    const std::vector<Case> cases = MakeFiles(folder, large);

    std::printf("%-24s %9s %8s %8s %6s %6s %7s  %s\n", "file", "bytes", "peak MB", "goal MB",
                "cpu s", "wall s", "verdict", "result");
    bool allMet = true;
    for (const Case& c : cases) {
        const std::string path = (folder / c.name).string();
        const uint64_t size = fs::file_size(path);
        const Measured m = Measure(path);
        // A loaded picture may cost twice its 24-bit size (or the picture and a progressive
        // file's coefficients, when those are more) plus 64 MB, a damaged file 64 MB plus
        // 64 KB a byte; a cut picture that loads must meet both.
        const uint64_t picture = uint64_t(DibStride(24, m.width)) * uint64_t(m.height);
        const uint64_t coefficients = c.damaged ? 0 : CoefficientBytes(path);
        uint64_t goal =
            m.width > 0 ? std::max(2 * picture, picture + coefficients) + 64 * kMiB : 64 * kMiB;
        if (c.damaged)
            goal =
                m.width > 0 ? std::min(goal, 64 * kMiB + 65536 * size) : 64 * kMiB + 65536 * size;
        // The machine may be shared: the time goal is judged on the processor time used.
        const bool timely = size >= kMiB || m.cpu <= 2.0;
        const bool met = m.peakBytes <= goal && timely && m.reason != "crashed";
        allMet = allMet && met;
        const std::string result = m.width > 0
                                       ? std::to_string(m.width) + "x" + std::to_string(m.height) +
                                             (m.reason == "loaded" ? "" : " (" + m.reason + ")")
                                       : m.reason;
        std::printf("%-24s %9llu %8.1f %8.1f %6.2f %6.2f %7s  %s  [%s]\n", c.name.c_str(),
                    static_cast<unsigned long long>(size), double(m.peakBytes) / kMiB,
                    double(goal) / kMiB, m.cpu, m.seconds, met ? "ok" : "MISSED", result.c_str(),
                    c.note.c_str());
        std::fflush(stdout);
    }
    if (!keep)
        fs::remove_all(folder);
    return allMet ? 0 : 1;
}
