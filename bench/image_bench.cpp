// Loading, resampling and turning pictures of realistic sizes. Besides the times, each
// operation reports its peak memory once: "extra_MiB" is what the operation needed on top of
// the source picture it was given, "copies" the total in units of the picture's size.
//
//   build/test/bin/bench_image [--benchmark_filter=Jpeg]
#include "image/encoders.h"
#include "image/loaders.h"
#include "image/resampling.h"
#include "image/transform.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

const std::string kPhoto = std::string(MOKOA_TESTDATA_DIR) + "/photos/kite-2560x1600.jpg";

// Resident-set figures of this process from /proc, in bytes.
size_t StatusField(const char* name) {
    std::ifstream status("/proc/self/status");
    std::string key;
    size_t kib = 0;
    while (status >> key) {
        if (key == name) {
            status >> kib;
            return kib * 1024;
        }
        status.ignore(1 << 20, '\n');
    }
    return 0;
}

// Peak resident memory `work` adds to what the process holds already.
size_t ExtraPeak(const std::function<void()>& work) {
    std::ofstream("/proc/self/clear_refs") << "5"; // resets the high-water mark
    const size_t before = StatusField("VmRSS:");
    work();
    const size_t peak = StatusField("VmHWM:");
    return peak > before ? peak - before : 0;
}

void ReportMemory(benchmark::State& state, size_t extra, size_t held, size_t picture) {
    state.counters["extra_MiB"] = double(extra) / (1 << 20);
    state.counters["copies"] = double(held + extra) / double(picture);
}

size_t PictureBytes(const PackedDib* dib) {
    return DibBlockSize(dib);
}

const PackedDib* Photo() {
    static DibPtr photo(ReadJpegFile(kPhoto));
    return photo.get();
}

// A 48-megapixel picture: the photo enlarged to 8000 x 6000.
const PackedDib* FortyEightMegapixels() {
    static DibPtr big = [] {
        DibPtr dib(DibCreate(24, 8000, 6000));
        if (dib && Photo())
            ResampleImage(dib.get(), 0, 0, -1, -1, Photo(), 0, 0, -1, -1);
        return dib;
    }();
    return big.get();
}

// A 12-megapixel picture: the photo enlarged to 4000 x 3000.
const PackedDib* TwelveMegapixels() {
    static DibPtr big = [] {
        DibPtr dib(DibCreate(24, 4000, 3000));
        if (dib && Photo())
            ResampleImage(dib.get(), 0, 0, -1, -1, Photo(), 0, 0, -1, -1);
        return dib;
    }();
    return big.get();
}

std::string& LargePngPath() {
    static std::string path;
    return path;
}

// The photo as a 2560 x 1600 RGB PNG, written once; empty when that failed.
const std::string& LargePng() {
    static const bool written = [] {
        const std::string p = "/tmp/mokoa-bench-" + std::to_string(getpid()) + ".png";
        if (Photo() && WritePngFile(Photo(), p))
            LargePngPath() = p;
        return true;
    }();
    (void)written;
    return LargePngPath();
}

bool SkipWithoutPhoto(benchmark::State& state) {
    if (Photo())
        return false;
    state.SkipWithError(("photo not found: " + kPhoto).c_str());
    return true;
}

void BM_JpegReadJpegFile(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    ReportMemory(state, ExtraPeak([] { const DibPtr made = ReadJpegFile(kPhoto); }), 0,
                 PictureBytes(Photo()));
    for (auto _ : state) {
        DibPtr dib(ReadJpegFile(kPhoto));
        benchmark::DoNotOptimize(dib.get());
    }
}
BENCHMARK(BM_JpegReadJpegFile)->Unit(benchmark::kMillisecond);

// libjpeg-turbo's own plain decode of the same file into one buffer, for comparison.
void BM_JpegLibraryPlainDecode(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    for (auto _ : state) {
        FILE* file = std::fopen(kPhoto.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr errors;
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, file);
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        const size_t row = size_t(cinfo.output_width) * cinfo.output_components;
        std::vector<uint8_t> pixels(row * cinfo.output_height);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW rows[16];
            for (int k = 0; k < 16; ++k)
                rows[k] = &pixels[row * std::min<size_t>(cinfo.output_scanline + k,
                                                         cinfo.output_height - 1)];
            jpeg_read_scanlines(&cinfo, rows, 16);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(file);
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_JpegLibraryPlainDecode)->Unit(benchmark::kMillisecond);

void BM_PngReadPngFile(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    if (LargePng().empty()) {
        state.SkipWithError("could not write the PNG");
        return;
    }
    ReportMemory(state, ExtraPeak([] { const DibPtr made = ReadPngFile(LargePng()); }), 0,
                 PictureBytes(Photo()));
    for (auto _ : state) {
        DibPtr dib(ReadPngFile(LargePng()));
        benchmark::DoNotOptimize(dib.get());
    }
}
BENCHMARK(BM_PngReadPngFile)->Unit(benchmark::kMillisecond);

void BM_ResampleWholePhotoTo120x160(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    DibPtr dest(DibCreate(24, 120, 160));
    ReportMemory(state,
                 ExtraPeak([&] { ResampleImage(dest.get(), 0, 0, -1, -1, Photo(), 0, 0, -1, -1); }),
                 PictureBytes(Photo()), PictureBytes(Photo()));
    for (auto _ : state)
        ResampleImage(dest.get(), 0, 0, -1, -1, Photo(), 0, 0, -1, -1);
}
BENCHMARK(BM_ResampleWholePhotoTo120x160)->Unit(benchmark::kMillisecond);

// A 3:4 selection across the whole height to 120 x 160, as a phone picture is made:
// range(0) the resampling (classic, area, Lanczos), range(1) the photo (0: 2560 x 1600,
// 1: 8000 x 6000). The drag stays live when area and Lanczos take under 5 ms and 40 ms.
void BM_ResampleSelectionTo120x160(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    const Resampling how = Resampling(state.range(0));
    const PackedDib* source = state.range(1) ? FortyEightMegapixels() : Photo();
    const int width = source->height * 3 / 4;
    const ImageRect from{(source->width - width) / 2, 0, (source->width + width) / 2,
                         source->height};
    DibPtr dest(DibCreate(24, 120, 160));
    for (auto _ : state)
        benchmark::DoNotOptimize(ResampleRect(dest.get(), source, from, how));
    const char* const names[] = {"classic", "area", "lanczos"};
    state.SetLabel(std::string(names[state.range(0)]) + " " + std::to_string(from.Width()) + "x" +
                   std::to_string(from.Height()));
}
BENCHMARK(BM_ResampleSelectionTo120x160)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_Rotate12MegapixelsBy30(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    const PackedDib* source = TwelveMegapixels();
    ReportMemory(state, ExtraPeak([&] { const DibPtr made = RotateImage(30, source); }),
                 PictureBytes(source), PictureBytes(source));
    for (auto _ : state) {
        DibPtr turned(RotateImage(30, source));
        benchmark::DoNotOptimize(turned.get());
    }
}
BENCHMARK(BM_Rotate12MegapixelsBy30)->Unit(benchmark::kMillisecond);

// Codes 1 to 5: quarter turn, half turn, counter quarter turn, upside down, mirror.
void BM_TransformRightAngle12Megapixels(benchmark::State& state) {
    if (SkipWithoutPhoto(state))
        return;
    const PackedDib* source = TwelveMegapixels();
    const RightAngle transform = RightAngle(state.range(0));
    ReportMemory(state,
                 ExtraPeak([&] { const DibPtr made = TransformRightAngle(transform, source); }),
                 PictureBytes(source), PictureBytes(source));
    for (auto _ : state) {
        DibPtr turned(TransformRightAngle(transform, source));
        benchmark::DoNotOptimize(turned.get());
    }
}
BENCHMARK(BM_TransformRightAngle12Megapixels)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Big blocks always come from and go back to the system, so the resident figures show
    // what each operation holds rather than what the allocator keeps around.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!LargePngPath().empty())
        std::remove(LargePngPath().c_str());
    return 0;
}
