// One conversion run of the output pipeline (base image in, read-back output image out) for
// every format at two phone sizes, and for a fitted format of the kind the live fit picks
// (a run bias near 256 colours: what a selection change costs the user-interface thread
// while the fit follows it); the median-cut palette build alone.
#include "image/color_reduction.h"
#include "image/loaders.h"
#include "phone/output_pipeline.h"
#include "phone/selection.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

namespace {

const PackedDib* Photo() {
    static DibPtr photo(LoadImageFile(MOKOA_TESTDATA_DIR "/photos/kite-2560x1600.jpg"));
    if (!photo) {
        std::fprintf(stderr, "cannot read %s\n", MOKOA_TESTDATA_DIR "/photos/kite-2560x1600.jpg");
        std::exit(1);
    }
    return photo.get();
}

DibPtr PhotoBase(int width, int height) {
    const PackedDib* photo = Photo();
    const ImageRect cut = FitAspectRect({0, 0, photo->width, photo->height}, width, height);
    return MakeBaseImage(photo, cut, width, height, true);
}

// range(0): width, range(1): height, range(2): format index.
void BM_PipelineRun(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const int format = int(state.range(2));
    const DibPtr base = PhotoBase(width, height);
    OutputPipeline pipeline(PhoneSettings{width, height, 0, format});
    for (auto _ : state) {
        pipeline.SetBaseImage(DibDuplicate(base.get(), nullptr), false);
        benchmark::DoNotOptimize(pipeline.OutputImage());
    }
    state.SetLabel(OutputFormats()[size_t(format)].text);
}

void PipelineArgs(benchmark::internal::Benchmark* b) {
    for (const auto& size : {std::pair{120, 160}, std::pair{180, 180}})
        for (int format = 0; format < 15; ++format)
            b->Args({size.first, size.second, format});
    b->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_PipelineRun)->Apply(PipelineArgs);

// range(0): width, range(1): height, range(2): 1 for the quick file the live fit's
// conversions write while its own file is on the way.
void BM_FittedFormatRun(benchmark::State& state) {
    const int width = int(state.range(0)), height = int(state.range(1));
    const DibPtr base = PhotoBase(width, height);
    OutputPipeline pipeline(PhoneSettings{width, height, 0, 3});
    if (!pipeline.SetFittedFormat(OutputFormat::RunBiasPng(250, 12), 6000))
        std::exit(1);
    pipeline.SetQuickConversion(state.range(2) != 0);
    for (auto _ : state) {
        pipeline.SetBaseImage(DibDuplicate(base.get(), nullptr), false);
        benchmark::DoNotOptimize(pipeline.OutputImage());
    }
    state.SetLabel(pipeline.FormatText(pipeline.FittedFormatIndex()));
}
BENCHMARK(BM_FittedFormatRun)
    ->Args({120, 160, 0})
    ->Args({120, 160, 1})
    ->Args({180, 180, 0})
    ->Args({180, 180, 1})
    ->Unit(benchmark::kMillisecond);

// range(0): colour count, at 120 x 160.
void BM_MedianCutBuild(benchmark::State& state) {
    const DibPtr base = PhotoBase(120, 160);
    for (auto _ : state) {
        CMedianCut cut;
        cut.Build(DibBits(base.get()), base->width, base->height, DibRowBytes(base.get()),
                  int(state.range(0)));
        benchmark::DoNotOptimize(cut.BoxCount());
    }
}
BENCHMARK(BM_MedianCutBuild)->Arg(8)->Arg(12)->Arg(16)->Arg(256)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
