// One conversion run of the output pipeline (base image in, read-back output image out) for
// every format at two phone sizes, and the median-cut palette build alone.
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
        pipeline.SetBaseImage(DibPtr(DibDuplicate(base.get(), nullptr)), false);
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
