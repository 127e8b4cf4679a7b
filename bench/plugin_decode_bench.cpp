// Decoding a phone-wallpaper-sized source picture (2560 x 1600) through the shipped
// plug-ins, as LoadImageFile does: host call, then the packed bitmap from the two blocks.
#include "image/dib.h"
#include "plugins/spi_plugin_list.h"

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 2560, kHeight = 1600;

// A busy picture: gradients with a pseudo-random pattern, so the codecs have work to do.
uint8_t Sample(int x, int y, int channel) {
    const uint32_t noise = (uint32_t(x) * 2654435761u) ^ (uint32_t(y) * 40503u);
    return uint8_t((x * (channel + 1) + y * (3 - channel)) / 16 + ((noise >> 13) & 15));
}

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

std::string WritePpm() {
    const std::string path = TempPath("mokoa-bench.ppm");
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fprintf(out, "P6\n%d %d\n255\n", kWidth, kHeight);
    std::vector<uint8_t> row(size_t(kWidth) * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c)
                row[size_t(x) * 3 + c] = Sample(x, y, c);
        std::fwrite(row.data(), 1, row.size(), out);
    }
    std::fclose(out);
    return path;
}

std::string WriteGif() {
    const std::string path = TempPath("mokoa-bench.gif");
    int error = 0;
    GifFileType* out = EGifOpenFileName(path.c_str(), false, &error);
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < 256; ++i)
        colors[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    EGifPutScreenDesc(out, kWidth, kHeight, 8, 0, map);
    EGifPutImageDesc(out, 0, 0, kWidth, kHeight, false, nullptr);
    std::vector<GifPixelType> row(kWidth);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x)
            row[x] = Sample(x, y, 0);
        EGifPutLine(out, row.data(), kWidth);
    }
    EGifCloseFile(out, &error);
    GifFreeMapObject(map);
    return path;
}

void Decode(benchmark::State& state, const std::string& path) {
    CSpiPluginList list;
    if (list.LoadFolder(MOKOA_PLUGIN_DIR) == 0) {
        state.SkipWithError("no plug-ins in " MOKOA_PLUGIN_DIR);
        return;
    }
    for (auto _ : state) {
        SpiBlock header{}, bits{};
        if (list.Decode(path.c_str(), &header, &bits, nullptr) != SPI_SUCCESS) {
            state.SkipWithError("decoding failed");
            break;
        }
        DibPtr dib(DibFromHeaderAndBits(header.data, header.size, bits.data, bits.size));
        std::free(header.data);
        std::free(bits.data);
        benchmark::DoNotOptimize(dib.get());
    }
    state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
    std::filesystem::remove(path);
}

void BM_DecodePpmThroughPlugin(benchmark::State& state) {
    Decode(state, WritePpm());
}
void BM_DecodeGifThroughPlugin(benchmark::State& state) {
    Decode(state, WriteGif());
}

BENCHMARK(BM_DecodePpmThroughPlugin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGifThroughPlugin)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
