// One re-apply of the tone and colour dialogs on a 12-megapixel picture (4000 x 3000):
// a full copy with the operation run over every pixel.
#include "image/pixel_ops.h"

#include <benchmark/benchmark.h>

#include <cstring>

namespace {

DibPtr TwelveMegapixels() {
    DibPtr dib(DibCreate(24, 4000, 3000));
    uint8_t* bits = DibBits(dib.get());
    for (size_t i = 0; i < DibPixelBytes(dib.get()); ++i)
        bits[i] = uint8_t(i * 2654435761u >> 24);
    return dib;
}

void Reapply(benchmark::State& state, PixelOperation op, intptr_t param) {
    static const DibPtr picture = TwelveMegapixels();
    for (auto _ : state) {
        DibPtr copy(ApplyPixelOperation(picture.get(), nullptr, op, param));
        benchmark::DoNotOptimize(copy.get());
    }
    state.SetItemsProcessed(state.iterations() * 12'000'000);
}

const ComponentOffsets kOffsets{10, -20, 30};

} // namespace

BENCHMARK_CAPTURE(Reapply, brightness_contrast, BrightnessContrastOp,
                  BrightnessContrastParam(40, 30))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reapply, rgb_offsets, RgbOffsetOp, OffsetsParam(kOffsets))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Reapply, ycrcb_offsets, YCrCbOffsetOp, OffsetsParam(kOffsets))
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
