#include "image/loaders.h"

#include "codec_fixtures.h"
#include "common/photo_like_picture.h"
#include "common/test_support.h"

#include <sys/stat.h>

#include <cstdio>
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// Red, green, blue of picture pixel (x, y), y from the top, of a 24-bit image.
uint32_t RgbAt(const PackedDib* dib, int x, int y) {
    const uint8_t* p = DibPixelAddress(dib, x, DibHeight(dib) - 1 - y);
    return (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
}

TEST(PngReader, TransparencyBlendsOntoSkyBlue) {
    testsupport::TempDir dir;
    for (int depth : {8, 16}) {
        SCOPED_TRACE(depth);
        PngFixture png;
        png.width = 2;
        png.colorType = PNG_COLOR_TYPE_RGBA;
        png.bitDepth = depth;
        // Opaque (10, 20, 30), then fully transparent white.
        if (depth == 8)
            png.rows = {{10, 20, 30, 255, 255, 255, 255, 0}};
        else
            png.rows = {{10, 0, 20, 0, 30, 0, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0}};
        const std::string path = dir.file("alpha" + std::to_string(depth) + ".png");
        ASSERT_TRUE(WritePng(path, png));
        DibPtr dib(ReadPngFile(path));
        ASSERT_TRUE(dib);
        EXPECT_EQ(DibBitCount(dib.get()), 24);
        EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x0A141Eu);
        EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0x1F7FFFu); // (31, 127, 255)
    }
}

TEST(PngReader, PaletteAndGreyPicturesKeepTheirDepthAndWidenOnLoad) {
    testsupport::TempDir dir;
    // 1-bit palette: a transparency entry must not change the palette's colours.
    PngFixture palette;
    palette.width = 9;
    palette.colorType = PNG_COLOR_TYPE_PALETTE;
    palette.bitDepth = 1;
    palette.palette = {200, 0, 0, 0, 0, 180};
    palette.paletteAlpha = {0};
    palette.rows = {{0xAA, 0x80}}; // 1 0 1 0 1 0 1 0 1
    ASSERT_TRUE(WritePng(dir.file("pal1.png"), palette));
    std::vector<PaletteColor> colours;
    DibPtr narrow(ReadPngFile(dir.file("pal1.png"), &colours));
    ASSERT_TRUE(narrow);
    EXPECT_EQ(DibBitCount(narrow.get()), 1);
    EXPECT_EQ(colours, (std::vector<PaletteColor>{0xFFC80000u, 0xFF0000B4u}));
    DibPtr dib(LoadImageFile(dir.file("pal1.png")));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x0000B4u);
    EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0xC80000u);
    EXPECT_EQ(RgbAt(dib.get(), 8, 0), 0x0000B4u);

    // 2-bit grey: levels 0, 85, 170, 255.
    PngFixture grey;
    grey.width = 4;
    grey.colorType = PNG_COLOR_TYPE_GRAY;
    grey.bitDepth = 2;
    grey.rows = {{0x1B}};
    ASSERT_TRUE(WritePng(dir.file("grey2.png"), grey));
    narrow = ReadPngFile(dir.file("grey2.png"));
    ASSERT_TRUE(narrow);
    EXPECT_EQ(DibBitCount(narrow.get()), 2);
    dib = LoadImageFile(dir.file("grey2.png"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(RgbAt(dib.get(), 0, 0), 0x000000u);
    EXPECT_EQ(RgbAt(dib.get(), 1, 0), 0x555555u);
    EXPECT_EQ(RgbAt(dib.get(), 2, 0), 0xAAAAAAu);
    EXPECT_EQ(RgbAt(dib.get(), 3, 0), 0xFFFFFFu);

    // 16-bit grey with alpha: stripped to 8 bits, transparent parts onto black.
    PngFixture greyAlpha;
    greyAlpha.width = 2;
    greyAlpha.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    greyAlpha.bitDepth = 16;
    greyAlpha.rows = {{0x80, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}};
    ASSERT_TRUE(WritePng(dir.file("greyalpha.png"), greyAlpha));
    narrow = ReadPngFile(dir.file("greyalpha.png"));
    ASSERT_TRUE(narrow);
    EXPECT_EQ(DibBitCount(narrow.get()), 8);
    EXPECT_EQ(DibPixelAddress(narrow.get(), 0, 0)[0], 0x80);
    EXPECT_EQ(DibPixelAddress(narrow.get(), 1, 0)[0], 0);
}

TEST(PngReader, InterlacedEqualsProgressiveRows) {
    testsupport::TempDir dir;
    PngFixture png;
    png.width = 13;
    png.height = 11;
    for (int y = 0; y < png.height; ++y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < png.width; ++x)
            row.insert(row.end(), {uint8_t(x * 19), uint8_t(y * 23), uint8_t(x * y)});
        png.rows.push_back(row);
    }
    ASSERT_TRUE(WritePng(dir.file("plain.png"), png));
    png.interlaced = true;
    ASSERT_TRUE(WritePng(dir.file("adam7.png"), png));
    DibPtr plain(ReadPngFile(dir.file("plain.png")));
    DibPtr adam7(ReadPngFile(dir.file("adam7.png")));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(adam7);
    EXPECT_EQ(0,
              std::memcmp(DibBits(plain.get()), DibBits(adam7.get()), DibPixelBytes(plain.get())));
    EXPECT_EQ(RgbAt(plain.get(), 12, 10),
              (uint32_t(12 * 19) << 16) | (uint32_t(10 * 23) << 8) | 120);
}

TEST(PngReader, DamagedFilesAreRefused) {
    testsupport::TempDir dir;
    PngFixture png;
    png.width = 64;
    png.height = 64;
    for (int y = 0; y < 64; ++y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < 64 * 3; ++x)
            row.push_back(uint8_t(x * y * 7 + y));
        png.rows.push_back(row);
    }
    ASSERT_TRUE(WritePng(dir.file("whole.png"), png));
    const std::string bytes = testsupport::ReadFileBytes(dir.file("whole.png"));
    LoadError why = LoadError::None;

    // Cut in the picture data: the rows that are there, the rest black. Without the end
    // chunk only: the whole picture.
    testsupport::WriteFileBytes(dir.file("cut.png"), bytes.substr(0, bytes.size() / 2));
    DibPtr cut(ReadPngFile(dir.file("cut.png"), nullptr, &why));
    ASSERT_TRUE(cut);
    EXPECT_EQ(why, LoadError::Truncated);
    EXPECT_EQ(RgbAt(cut.get(), 1, 1), 0x161D24u); // bytes 3, 4, 5 of row 1: 22, 29, 36
    EXPECT_EQ(RgbAt(cut.get(), 63, 63), 0x000000u);
    testsupport::WriteFileBytes(dir.file("noend.png"), bytes.substr(0, bytes.size() - 12));
    DibPtr noEnd(ReadPngFile(dir.file("noend.png"), nullptr, &why));
    ASSERT_TRUE(noEnd);
    EXPECT_EQ(why, LoadError::None);
    EXPECT_EQ(RgbAt(noEnd.get(), 63, 63),
              RgbAt(DibPtr(ReadPngFile(dir.file("whole.png"))).get(), 63, 63));

    std::string flipped = bytes;
    flipped[bytes.size() / 2] ^= 0x55; // breaks a CRC
    testsupport::WriteFileBytes(dir.file("crc.png"), flipped);
    EXPECT_EQ(DibPtr(ReadPngFile(dir.file("crc.png"), nullptr, &why)), nullptr);

    // The header claiming a square of `side` pixels at another depth and colour type, its CRC
    // recomputed so that only the shape is wrong.
    const auto reshaped = [&](uint32_t side, char bitDepth, char colorType) {
        std::string huge = bytes;
        for (int i = 0; i < 4; ++i)
            huge[16 + i] = huge[20 + i] = char(side >> (24 - 8 * i));
        huge[24] = bitDepth;
        huge[25] = colorType;
        const uint32_t crc = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(&huge[12]), 17));
        for (int i = 0; i < 4; ++i)
            huge[29 + i] = char(crc >> (24 - 8 * i));
        return huge;
    };
    // 20000 x 20000 pixels of RGBA: beyond the size limit, refused up front. 30000 x 30000 at
    // 1 bit of grey fits as stored but not once widened to 24 bits: refused before any row
    // is inflated.
    for (const std::string& huge : {reshaped(20000, 8, 6), reshaped(30000, 1, 0)}) {
        testsupport::WriteFileBytes(dir.file("huge.png"), huge);
        EXPECT_EQ(DibPtr(ReadPngFile(dir.file("huge.png"), nullptr, &why)), nullptr);
        EXPECT_EQ(why, LoadError::TooLarge);
    }

    testsupport::WriteFileBytes(dir.file("text.png"), "not a picture at all");
    EXPECT_EQ(DibPtr(ReadPngFile(dir.file("text.png"), nullptr, &why)), nullptr);
    EXPECT_EQ(why, LoadError::Damaged);
    EXPECT_EQ(DibPtr(ReadPngFile(dir.file("absent.png"), nullptr, &why)), nullptr);
    EXPECT_EQ(why, LoadError::NotFound);
}

// What libjpeg-turbo itself decodes, as red-green-blue samples.
std::vector<uint8_t> PlainDecode(const std::string& path, int* components) {
    FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    *components = cinfo.output_components;
    std::vector<uint8_t> samples(size_t(cinfo.output_width) * cinfo.output_height * *components);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &samples[size_t(cinfo.output_scanline) * cinfo.output_width * *components];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return samples;
}

std::vector<uint8_t> Gradient(int width, int height, int components) {
    std::vector<uint8_t> samples;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                samples.push_back(uint8_t(x * 5 + y * 3 + c * 60));
    return samples;
}

TEST(JpegReader, ColourAndGreyMatchTheLibrarysOwnDecode) {
    testsupport::TempDir dir;
    const int w = 37, h = 21;
    ASSERT_TRUE(WriteJpeg(dir.file("rgb.jpg"), w, h, 3, Gradient(w, h, 3)));
    int components = 0;
    std::vector<uint8_t> expected = PlainDecode(dir.file("rgb.jpg"), &components);
    DibPtr dib(ReadJpegFile(dir.file("rgb.jpg")));
    ASSERT_TRUE(dib);
    ASSERT_EQ(DibBitCount(dib.get()), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* e = &expected[size_t(y * w + x) * 3];
            ASSERT_EQ(RgbAt(dib.get(), x, y), (uint32_t(e[0]) << 16) | (uint32_t(e[1]) << 8) | e[2])
                << x << ", " << y;
        }

    // Greyscale: 8 bits from the reader, equal bytes after loading.
    ASSERT_TRUE(WriteJpeg(dir.file("grey.JPEG"), w, h, 1, Gradient(w, h, 1)));
    expected = PlainDecode(dir.file("grey.JPEG"), &components);
    std::vector<PaletteColor> ramp;
    DibPtr grey(ReadJpegFile(dir.file("grey.JPEG"), &ramp));
    ASSERT_TRUE(grey);
    EXPECT_EQ(DibBitCount(grey.get()), 8);
    ASSERT_EQ(ramp.size(), 256u);
    EXPECT_EQ(ramp[128], 0xFF808080u);
    dib = LoadImageFile(dir.file("grey.JPEG"));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            ASSERT_EQ(RgbAt(dib.get(), x, y), expected[size_t(y * w + x)] * 0x010101u);
}

TEST(JpegReader, CmykIsConvertedWithOrWithoutAdobeInversion) {
    testsupport::TempDir dir;
    // Flat areas decode exactly: cyan ink only, and black ink at half.
    std::vector<uint8_t> cyan, inverted;
    for (int i = 0; i < 16 * 16; ++i) {
        cyan.insert(cyan.end(), {255, 0, 0, 0});
        inverted.insert(inverted.end(), {255, 255, 255, 128}); // Adobe: 255 - ink
    }
    ASSERT_TRUE(WriteJpeg(dir.file("cmyk.jpg"), 16, 16, 4, cyan, 100, false));
    ASSERT_TRUE(WriteJpeg(dir.file("adobe.jpg"), 16, 16, 4, inverted, 100, true));
    DibPtr plain(ReadJpegFile(dir.file("cmyk.jpg")));
    DibPtr adobe(ReadJpegFile(dir.file("adobe.jpg")));
    ASSERT_TRUE(plain);
    ASSERT_TRUE(adobe);
    EXPECT_EQ(RgbAt(plain.get(), 5, 5), 0x00FFFFu);
    EXPECT_EQ(RgbAt(adobe.get(), 5, 5), 0x808080u);
}

// A file cut in its picture data loads with the rest grey and is reported truncated; only a
// file without a single row of blocks, one in a form we do not decode, or one that is no JPEG
// at all is refused.
TEST(JpegReader, TruncatedFilesLoadGreyAndForeignOnesAreRefused) {
    testsupport::TempDir dir;
    const int w = 200, h = 120;
    ASSERT_TRUE(WriteJpeg(dir.file("whole.jpg"), w, h, 3, Gradient(w, h, 3)));
    const std::string bytes = testsupport::ReadFileBytes(dir.file("whole.jpg"));
    const size_t scan = bytes.find("\xFF\xDA");
    ASSERT_NE(scan, std::string::npos);
    const size_t data = scan + 2 + ((uint8_t(bytes[scan + 2]) << 8) | uint8_t(bytes[scan + 3]));
    const size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    std::string twelveBit = bytes;
    twelveBit[sof + 4] = 12;
    // 18000 x 18000 pixels claimed by a file of a few kilobytes: refused before allocating.
    std::string huge = bytes;
    for (const size_t at : {sof + 5, sof + 7}) {
        huge[at] = char(18000 >> 8);
        huge[at + 1] = char(18000 & 0xFF);
    }

    const struct {
        const char* name;
        std::string bytes;
        LoadError why;
    } cases[] = {
        {"cut", bytes.substr(0, bytes.size() / 2), LoadError::Truncated},
        {"cut, end marker added", bytes.substr(0, bytes.size() / 2) + "\xFF\xD9",
         LoadError::Truncated},
        {"only the end marker missing", bytes.substr(0, bytes.size() - 2), LoadError::None},
        {"no picture data", bytes.substr(0, data) + "\xFF\xD9", LoadError::Damaged},
        {"far too small for its size", huge, LoadError::Damaged},
        {"12-bit samples", twelveBit, LoadError::Unsupported},
        {"not a JPEG", "GIF89a and then some", LoadError::Damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testsupport::WriteFileBytes(dir.file("case.jpg"), c.bytes);
        LoadError why = LoadError::None;
        DibPtr dib(ReadJpegFile(dir.file("case.jpg"), nullptr, &why));
        EXPECT_EQ(why, c.why);
        const bool loads = c.why == LoadError::None || c.why == LoadError::Truncated;
        ASSERT_EQ(bool(dib), loads);
        // The bottom row of a cut picture is the library's grey.
        if (c.why == LoadError::Truncated) {
            EXPECT_EQ(RgbAt(dib.get(), w - 1, h - 1), 0x808080u);
        }
        // Read at a quarter of its size, a file is judged as when read whole.
        why = LoadError::None;
        const DibPtr reduced = ReadJpegReduced(dir.file("case.jpg"), 4, &why);
        EXPECT_EQ(why, c.why);
        ASSERT_EQ(bool(reduced), loads);
        if (reduced) {
            EXPECT_EQ(reduced->width, (w + 3) / 4);
        }
    }
    LoadError why = LoadError::None;
    EXPECT_EQ(DibPtr(ReadJpegFile(dir.file("absent.jpg"), nullptr, &why)), nullptr);
    EXPECT_EQ(why, LoadError::NotFound);
}

// The rows of one plain decoder, in blue, green, red order, bottom row first as stored.
std::string DecodedByOneDecoder(const std::string& path, int* width, int* height) {
    FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    errors.emit_message = [](j_common_ptr, int) {}; // a cut file only warns
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&cinfo);
    *width = int(cinfo.output_width);
    *height = int(cinfo.output_height);
    const size_t stride = DibStride(24, *width);
    std::string rows(stride * size_t(*height), '\0');
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(
            &rows[stride * (cinfo.output_height - 1 - cinfo.output_scanline)]);
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::fclose(file);
    return rows;
}

// A big picture is decoded in two parts at once; whole or cut anywhere, it comes out as one
// decoder gives it.
TEST(JpegReader, BigPicturesComeOutAsFromOneDecoder) {
    testsupport::TempDir dir;
    const int w = 3600, h = 2400;
    DibPtr photo = testsupport::PhotoLikePicture(w, h);
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = DibPixelAddress(photo.get(), x, h - 1 - y);
            rgb.insert(rgb.end(), {p[2], p[1], p[0]});
        }
    ASSERT_TRUE(WriteJpeg(dir.file("big.jpg"), w, h, 3, rgb, 85));
    const std::string bytes = testsupport::ReadFileBytes(dir.file("big.jpg"));
    for (const size_t kept : {bytes.size(), bytes.size() * 3 / 4, bytes.size() / 4}) {
        SCOPED_TRACE(kept);
        testsupport::WriteFileBytes(dir.file("case.jpg"), bytes.substr(0, kept));
        int width = 0, height = 0;
        const std::string expected = DecodedByOneDecoder(dir.file("case.jpg"), &width, &height);
        LoadError why = LoadError::None;
        DibPtr dib(ReadJpegPicture(dir.file("case.jpg"), &why));
        ASSERT_TRUE(dib);
        EXPECT_EQ(why, kept == bytes.size() ? LoadError::None : LoadError::Truncated);
        ASSERT_EQ(DibPixelBytes(dib.get()), expected.size());
        EXPECT_EQ(0, std::memcmp(DibBits(dib.get()), expected.data(), expected.size()));
    }
}

// Every scan walks all blocks of its components, however little it codes: a progressive
// file with hundreds of scans is refused once they ask for many times the work of a real one.
TEST(JpegReader, EndlessScansAreRefused) {
    testsupport::TempDir dir;
    const int side = 1024;
    ASSERT_TRUE(WriteJpeg(dir.file("flat.jpg"), side, side, 1,
                          std::vector<uint8_t>(size_t(side) * side, 90), 75, false, true));
    const std::string bytes = testsupport::ReadFileBytes(dir.file("flat.jpg"));
    std::vector<size_t> scans;
    for (size_t at = bytes.find("\xFF\xDA"); at != std::string::npos;
         at = bytes.find("\xFF\xDA", at + 2))
        scans.push_back(at);
    ASSERT_GE(scans.size(), 3u);
    // The second scan (an AC scan of the one component) over and over.
    const std::string again = bytes.substr(scans[1], scans[2] - scans[1]);
    for (const auto& [repeats, loads] : {std::pair{40, true}, std::pair{500, false}}) {
        std::string many = bytes.substr(0, scans[2]);
        for (int i = 0; i < repeats; ++i)
            many += again;
        many += bytes.substr(scans[2]);
        testsupport::WriteFileBytes(dir.file("many.jpg"), many);
        LoadError why = LoadError::None;
        EXPECT_EQ(bool(DibPtr(ReadJpegFile(dir.file("many.jpg"), nullptr, &why))), loads)
            << repeats;
        EXPECT_EQ(why, loads ? LoadError::None : LoadError::Damaged) << repeats;
    }
}

TEST(JpegReader, PhotosLoadAtFullSize) {
    MOKOA_REQUIRE_TESTDATA(photo, "photos/kite-2560x1600.jpg");
    DibPtr dib(LoadImageFile(photo.string()));
    ASSERT_TRUE(dib);
    EXPECT_EQ(DibWidth(dib.get()), 2560);
    EXPECT_EQ(DibHeight(dib.get()), 1600);
    EXPECT_EQ(DibBitCount(dib.get()), 24);
}

TEST(LoadImageFile, ExtensionPicksTheReader) {
    testsupport::TempDir dir;
    ASSERT_TRUE(WriteJpeg(dir.file("a.JPG"), 8, 8, 3, Gradient(8, 8, 3)));
    ASSERT_TRUE(WriteJpeg(dir.file("b.Jpeg"), 8, 8, 3, Gradient(8, 8, 3)));
    ASSERT_TRUE(WriteJpeg(dir.file("c.jpe"), 8, 8, 3, Gradient(8, 8, 3)));
    ASSERT_TRUE(WriteJpeg(dir.file("noext"), 8, 8, 3, Gradient(8, 8, 3)));
    LoadError why = LoadError::None;
    EXPECT_TRUE(DibPtr(LoadImageFile(dir.file("a.JPG"), &why)));
    EXPECT_TRUE(DibPtr(LoadImageFile(dir.file("b.Jpeg"), &why)));
    // .jpe is no built-in extension: the plug-ins are asked, and none takes it.
    EXPECT_EQ(DibPtr(LoadImageFile(dir.file("c.jpe"), &why)), nullptr);
    EXPECT_EQ(why, LoadError::Unsupported);
    EXPECT_EQ(DibPtr(LoadImageFile(dir.file("noext"), &why)), nullptr);
    EXPECT_EQ(why, LoadError::NoExtension);

    // A dot in a folder name is no extension of the file.
    std::filesystem::create_directory(dir.path() / "pics.bmp");
    testsupport::WriteFileBytes(dir.path() / "pics.bmp" / "photo",
                                testsupport::ReadFileBytes(dir.file("a.JPG")));
    EXPECT_EQ(DibPtr(LoadImageFile((dir.path() / "pics.bmp" / "photo").string(), &why)), nullptr);
    EXPECT_EQ(why, LoadError::NoExtension);

    // A JPEG named .png goes to the PNG reader and is refused there, not guessed at.
    testsupport::WriteFileBytes(dir.file("fake.PNG"),
                                testsupport::ReadFileBytes(dir.file("a.JPG")));
    EXPECT_EQ(DibPtr(LoadImageFile(dir.file("fake.PNG"), &why)), nullptr);
    EXPECT_EQ(why, LoadError::Damaged);
    // Non-ASCII names pass through unchanged.
    testsupport::WriteFileBytes(dir.file("写真.jpg"),
                                testsupport::ReadFileBytes(dir.file("a.JPG")));
    EXPECT_TRUE(DibPtr(LoadImageFile(dir.file("写真.jpg"), &why)));
}

// A pipe would block a reader for ever, a device feed it without end: neither is read.
TEST(LoadImageFile, PipesAndFoldersAreRefusedWithoutBlocking) {
    testsupport::TempDir dir;
    for (const char* name : {"pipe.png", "pipe.jpg", "pipe.bmp", "pipe.gif"}) {
        ASSERT_EQ(mkfifo(dir.file(name).c_str(), 0600), 0);
        LoadError why = LoadError::None;
        EXPECT_EQ(DibPtr(LoadImageFile(dir.file(name), &why)), nullptr) << name;
        EXPECT_EQ(why, LoadError::NotAFile) << name;
    }
    std::filesystem::create_directory(dir.path() / "folder.jpg");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "device.png");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "device.gif");
    for (const char* name : {"folder.jpg", "device.png", "device.gif"}) {
        LoadError why = LoadError::None;
        EXPECT_EQ(DibPtr(LoadImageFile(dir.file(name), &why)), nullptr) << name;
        EXPECT_EQ(why, LoadError::NotAFile) << name;
    }
}

TEST(MakePaletteFromChannels, MissingChannelsRepeatThePreviousOne) {
    const uint8_t red[2] = {10, 20}, green[2] = {30, 40};
    EXPECT_EQ(MakePaletteFromChannels(2, red, nullptr, nullptr),
              (std::vector<PaletteColor>{0xFF0A0A0Au, 0xFF141414u}));
    EXPECT_EQ(MakePaletteFromChannels(2, red, green, nullptr),
              (std::vector<PaletteColor>{0xFF0A1E1Eu, 0xFF142828u}));
    EXPECT_TRUE(MakePaletteFromChannels(0, red, green, nullptr).empty());
}

} // namespace
