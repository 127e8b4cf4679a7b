// Fitting a phone picture to a carrier's limit (the whole search, as the fit command runs
// it, on a base image of area means) for both photos at the three checked sizes, with the
// files the search made. Each case is repeated; the goal is a median under 150 ms for
// J-Sky at 120 x 160.
#include "image/loaders.h"
#include "phone/fit_to_limit.h"
#include "phone/selection.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

DibPtr PhotoBase(const char* name, int width, int height) {
    const std::string path = std::string(MOKOA_TESTDATA_DIR "/photos/") + name;
    const DibPtr photo(LoadImageFile(path));
    if (!photo) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    const ImageRect cut = FitAspectRect({0, 0, photo->width, photo->height}, width, height);
    return MakeBaseImage(photo.get(), cut, width, height, true, Resampling::Area);
}

const char* const kPhotos[] = {"cups-2560x1600.jpg", "kite-2560x1600.jpg"};

// range(0): photo, range(1): width, range(2): height, range(3): carrier.
void BM_FitToLimit(benchmark::State& state) {
    const char* photo = kPhotos[state.range(0)];
    const DibPtr base = PhotoBase(photo, int(state.range(1)), int(state.range(2)));
    const Carrier carrier = state.range(3) ? Carrier::EZweb : Carrier::JSky;
    FitResult result;
    for (auto _ : state) {
        result = FitToLimit(base.get(), carrier);
        benchmark::DoNotOptimize(result);
    }
    state.counters["files"] = result.filesMade;
    state.counters["bytes"] = double(result.size);
    state.counters["psnr"] = result.psnr;
    state.SetLabel(std::string(photo).substr(0, 4) + " " + RuleFor(carrier).name);
}

void FitArgs(benchmark::internal::Benchmark* b) {
    for (int photo = 0; photo < 2; ++photo)
        for (const auto& size : {std::pair{96, 130}, std::pair{120, 160}, std::pair{180, 180}})
            for (int carrier = 0; carrier < 2; ++carrier)
                b->Args({photo, size.first, size.second, carrier});
    b->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
    b->Repetitions(7)->ReportAggregatesOnly(true);
}
BENCHMARK(BM_FitToLimit)->Apply(FitArgs);

} // namespace

BENCHMARK_MAIN();
