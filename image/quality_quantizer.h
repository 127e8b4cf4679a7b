// High-quality colour reduction through libimagequant, for the formats that add to the
// classic median cut. A quantiser holds one picture and keeps the palette made for each
// colour count, so that a search over counts and dithering levels quantises each count
// once; a request always gives the same pixels, whatever was asked before. Requests may
// come from several threads at once: counts are made side by side, and requests for one
// count wait for each other.
#pragma once

#include "image/dib.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

class QualityQuantizer {
public:
    // The picture is converted once here (any depth; 24 bits are taken as they are).
    explicit QualityQuantizer(const PackedDib* image);
    ~QualityQuantizer();
    QualityQuantizer(const QualityQuantizer&) = delete;
    QualityQuantizer& operator=(const QualityQuantizer&) = delete;

    bool Ready() const;

    // An 8-bit image whose table holds the palette made for at most `colors` (2-256)
    // colours, remapped with error diffusion at `ditherPercent` (0 none, 100 full).
    // None when the library fails or the quantiser is not ready.
    [[nodiscard]] DibPtr Reduce(int colors, int ditherPercent);

    // The same without dithering, then with a bias towards runs: going along each row from
    // the top, a pixel takes the colour of its left neighbour (failing that, of the one
    // above) when that colour's squared error, summed over red, green and blue, exceeds
    // the error of its own colour by at most `runBias` (0-255). Long runs of one index
    // compress far better, so a file of a given size can afford more colours.
    [[nodiscard]] DibPtr ReduceWithRunBias(int colors, int runBias);

private:
    struct Library;
    struct Palette;
    Palette& Slot(int colors);
    bool Build(Palette& palette, int colors);          // with the palette's lock held
    DibPtr Remap(Palette& palette, int ditherPercent); // likewise

    std::unique_ptr<Library> lib_;
    std::vector<uint8_t> rgba_; // top-down rows, 4 bytes per pixel
    std::vector<void*> rows_;
    int width_ = 0, height_ = 0;
    std::mutex slotsLock_;
    std::map<int, std::unique_ptr<Palette>> palettes_; // per colour count
};

// One reduction of each kind, as the conversion pipeline makes it.
[[nodiscard]] DibPtr ReduceColorsHighQuality(const PackedDib* image, int colors, int ditherPercent);
[[nodiscard]] DibPtr ReduceColorsWithRunBias(const PackedDib* image, int colors, int runBias);
constexpr int kMaxRunBias = 255;

constexpr int kQualityMinColors = 2;
constexpr int kQualityMaxColors = 256;
