// Writes the seed inputs that are made rather than kept: PNG and JPEG files of every layout
// the readers know (through the codec libraries) and as the program itself writes them
// (every output format), and the shared BMP pictures cut into the forms the clipboard and
// image plug-ins hand over.
//   fuzz_make_seeds OUTPUT_FOLDER [TESTDATA_FOLDER]
#include "../image/codec_fixtures.h"
#include "../plugins/gif_writer.h"

#include "image/loaders.h"
#include "image/transform.h"
#include "phone/formats.h"
#include "phone/output_pipeline.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

uint8_t Sample(int x, int y, int c) {
    return uint8_t(x * 37 + y * 91 + c * 53);
}

// Rows of a w x h PNG of that colour type and depth, with samples packed as the file stores
// them.
PngFixture PngOf(int colorType, int bitDepth, bool interlaced) {
    PngFixture png;
    png.width = 7;
    png.height = 5;
    png.colorType = colorType;
    png.bitDepth = bitDepth;
    png.interlaced = interlaced;
    const int channels = colorType == 0 || colorType == 3 ? 1
                         : colorType == 4                 ? 2
                         : colorType == 2                 ? 3
                                                          : 4;
    const int bits = channels * bitDepth;
    for (int y = 0; y < png.height; ++y) {
        std::vector<uint8_t> row(size_t((png.width * bits + 7) / 8));
        for (int x = 0; x < png.width; ++x)
            for (int c = 0; c < channels; ++c) {
                const unsigned v = Sample(x, y, c);
                if (bitDepth == 16) {
                    row[size_t((x * channels + c) * 2)] = uint8_t(v);
                    row[size_t((x * channels + c) * 2 + 1)] = uint8_t(v * 3);
                } else if (bitDepth == 8) {
                    row[size_t(x * channels + c)] = uint8_t(v);
                } else {
                    const int bit = x * bitDepth;
                    const unsigned value = v & ((1u << bitDepth) - 1);
                    row[size_t(bit / 8)] |= uint8_t(value << (8 - bitDepth - bit % 8));
                }
            }
        png.rows.push_back(std::move(row));
    }
    if (colorType == 3) {
        for (int i = 0; i < (1 << bitDepth); ++i)
            png.palette.insert(png.palette.end(),
                               {Sample(i, 0, 0), Sample(i, 1, 1), Sample(i, 2, 2)});
        png.paletteAlpha = {0, 128};
    }
    return png;
}

void WriteCodecLayouts(const fs::path& png, const fs::path& jpeg) {
    struct Layout {
        int colorType;
        std::vector<int> depths;
    };
    const Layout layouts[] = {
        {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (const Layout& layout : layouts)
        for (const int depth : layout.depths)
            for (const bool interlaced : {false, true}) {
                const std::string name = "type" + std::to_string(layout.colorType) + "-" +
                                         std::to_string(depth) + (interlaced ? "-interlaced" : "") +
                                         ".png";
                WritePng((png / name).string(), PngOf(layout.colorType, depth, interlaced));
            }
    for (const int components : {1, 3, 4}) {
        const int w = 19, h = 11;
        std::vector<uint8_t> samples(size_t(w * h * components));
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = uint8_t(i * 13);
        const std::string name = "components" + std::to_string(components);
        WriteJpeg((jpeg / (name + ".jpg")).string(), w, h, components, samples, 90, false);
        if (components == 4)
            WriteJpeg((jpeg / (name + "-adobe.jpg")).string(), w, h, components, samples, 50, true);
    }
}

// Every output format of the program, from a small picture.
void WriteProgramOutputs(const PackedDib* picture, const fs::path& png, const fs::path& jpeg) {
    OutputPipeline pipeline(PhoneSettings{40, 30, 0, 3});
    DibPtr base(DibCreate(24, 40, 30));
    ResampleImage(base.get(), 0, 0, -1, -1, picture, 0, 0, -1, -1);
    pipeline.SetBaseImage(std::move(base), false);
    const auto formats = OutputFormats();
    for (size_t i = 0; i < formats.size(); ++i) {
        pipeline.SelectFormat(int(i));
        pipeline.RunConversion();
        const std::string name = "format" + std::to_string(i);
        WriteAll((pipeline.IsPng() ? png / (name + ".png") : jpeg / (name + ".jpg")),
                 ReadAll(pipeline.TempOutputPath()));
    }
}

DibPtr SourcePicture(const fs::path& testdata) {
    DibPtr photo;
    if (!testdata.empty())
        photo = LoadImageFile((testdata / "photos" / "kite-2560x1600.jpg").string());
    if (photo)
        return photo;
    DibPtr made(DibCreate(24, 64, 48));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                DibPixelAddress(made.get(), x, y)[c] = Sample(x, y, c);
    return made;
}

uint32_t U32(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8 |
           uint32_t(uint8_t(bytes[at + 2])) << 16 | uint32_t(uint8_t(bytes[at + 3])) << 24;
}

// The shared BMP pictures as packed bitmaps (the clipboard) and as a header block with a
// separate pixel block (the plug-ins, behind a two-byte length).
void WriteBmpForms(const fs::path& bmpsuite, const fs::path& clipboard, const fs::path& header) {
    for (const char* group : {"g", "q"}) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(bmpsuite / group, ec)) {
            const std::string bytes = ReadAll(entry.path());
            if (bytes.size() < 18 || bytes[0] != 'B' || bytes[1] != 'M')
                continue;
            const std::string name = std::string(group) + "-" + entry.path().stem().string();
            WriteAll(clipboard / name, bytes.substr(14));
            const size_t offset = U32(bytes, 10);
            if (offset <= 14 || offset > bytes.size() || offset - 14 > 0xFFFF)
                continue;
            const size_t length = offset - 14;
            std::string block{char(length & 0xFF), char(length >> 8)};
            WriteAll(header / name, block + bytes.substr(14));
        }
    }
}

void WriteGifs(const fs::path& folder) {
    plugintest::Gif gif = plugintest::SmallGif();
    plugintest::WriteGif((folder / "small.gif").string(), gif);
    gif.frames[0].interlace = true;
    gif.frames[0].transparent = 2;
    plugintest::WriteGif((folder / "interlaced-transparent.gif").string(), gif);
    plugintest::Frame second = gif.frames[0];
    second.left = 1;
    second.width = 3;
    second.pixels.resize(size_t(second.width * second.height));
    second.colors = {{0, 0, 0}, {255, 255, 255}, {10, 20, 30}, {40, 50, 60}};
    gif.frames.push_back(second);
    plugintest::WriteGif((folder / "two-frames.gif").string(), gif);
}

void WritePnms(const fs::path& folder) {
    WriteAll(folder / "plain-bitmap.pbm", "P1\n# two rows\n4 2\n0 1 1 0\n1 0 0 1\n");
    WriteAll(folder / "plain-grey.pgm", "P2\n3 2\n15\n0 7 15\n15 7 0\n");
    WriteAll(folder / "plain-pixmap.ppm", "P3\n2 1\n255\n255 0 0  0 0 255\n");
    WriteAll(folder / "raw-bitmap.pbm", std::string("P4\n9 2\n") + "\xA5\x80\x5A\x00");
    WriteAll(folder / "raw-grey.pgm", std::string("P5\n3 2\n255\n") + "\x00\x80\xFF\xFF\x80\x00");
    WriteAll(folder / "raw-grey16.pgm", std::string("P5 2 1 65535\n") + "\x12\x34\xFF\xFF");
    WriteAll(folder / "raw-pixmap.ppm", std::string("P6\n2 2 # size\n255\n") +
                                            "\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\x80\x80\x80");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: fuzz_make_seeds OUTPUT_FOLDER [TESTDATA_FOLDER]\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path testdata =
        argc > 2 && fs::is_directory(argv[2]) ? fs::path(argv[2]) : fs::path();
    for (const char* target : {"png", "jpeg", "clipboard", "dib_header", "plugin_file"}) {
        fs::remove_all(out / target);
        fs::create_directories(out / target);
    }
    WriteCodecLayouts(out / "png", out / "jpeg");
    const DibPtr picture = SourcePicture(testdata);
    WriteProgramOutputs(picture.get(), out / "png", out / "jpeg");
    if (!testdata.empty())
        WriteBmpForms(testdata / "bmpsuite", out / "clipboard", out / "dib_header");
    WriteGifs(out / "plugin_file");
    WritePnms(out / "plugin_file");
    std::printf("seeds written to %s\n", out.c_str());
    return 0;
}
