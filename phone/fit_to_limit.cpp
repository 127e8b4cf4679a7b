#include "phone/fit_to_limit.h"

#include "image/compact_png.h"
#include "image/loaders.h"
#include "image/psnr.h"
#include "image/quality_quantizer.h"
#include "phone/formats.h"
#include "phone/save.h"
#include "phone/size_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <vector>

namespace {

const CarrierRule kJSky{"J-Sky", kJSkyLimit, true};
const CarrierRule kEZweb{"EZweb", kEZwebLimit, false};

struct Measured {
    bool made = false;
    DibPtr picture;     // PNG: the reduced picture the file holds
    int64_t quick = 0;  // bytes with the writer's first setting: never below the file's
    int64_t exact = -1; // bytes of the saved file, once written
    double psnr = 0;
    int colors = 0;
    int64_t Known() const { return exact >= 0 ? exact : quick; }
};

// Palette entries of one of our PNG files: the PLTE chunk follows IHDR directly.
int PaletteEntries(const std::vector<uint8_t>& png) {
    constexpr size_t kPlte = 8 + 25;
    if (png.size() < kPlte + 8 ||
        std::string(png.begin() + kPlte + 4, png.begin() + kPlte + 8) != "PLTE")
        return 0;
    const uint32_t length = uint32_t(png[kPlte]) << 24 | uint32_t(png[kPlte + 1]) << 16 |
                            uint32_t(png[kPlte + 2]) << 8 | png[kPlte + 3];
    return int(length / 3);
}

// The largest x in [first, last] whose file fits, for files that grow with x; first - 1
// when none does. Probes `start` first, widens by doubling steps until the limit is
// bracketed, then interpolates on the sizes (in `scale` of x) and keeps narrowing; an
// interpolated probe next to a bracket end falls back to the middle so that no search
// creeps along one side.
template <class SizeAt, class Scale>
int LargestWithin(int first, int last, int start, double initialStep, int64_t limit, Scale scale,
                  SizeAt sizeAt) {
    int lo = first - 1, hi = last + 1; // largest fitting / smallest failing so far
    int64_t sizeLo = 0, sizeHi = 0;
    double step = initialStep;
    int probe = std::clamp(start, first, last);
    while (hi - lo > 1) {
        const int64_t size = sizeAt(probe);
        if (size < 0)
            return first - 1;
        if (size <= limit) {
            lo = probe;
            sizeLo = size;
        } else {
            hi = probe;
            sizeHi = size;
        }
        if (hi - lo <= 1)
            break;
        double at;
        if (lo < first || hi > last) {
            // One side unknown: step out from the known one.
            at = lo < first ? scale(hi) - step : scale(lo) + step;
            step *= 2;
        } else {
            const double t =
                sizeHi > sizeLo ? double(limit - sizeLo) / double(sizeHi - sizeLo) : 0.5;
            at = scale(lo) + t * (scale(hi) - scale(lo));
        }
        // Back from the scale to a whole x strictly inside the bracket.
        int next = lo + 1;
        while (next < hi - 1 && scale(next) < at)
            ++next;
        if (lo >= first && hi <= last && hi - lo > 3 && (next <= lo + 1 || next >= hi - 1))
            next = lo + (hi - lo) / 2;
        probe = std::clamp(next, std::max(lo + 1, first), std::min(hi - 1, last));
    }
    return lo;
}

double Log2(int x) {
    return std::log2(double(x));
}

// Run biases are searched as 255 - bias; files shrink about evenly per doubling of
// 1 + bias.
double InverseBiasScale(int inverse) {
    return -std::log2(double(1 + kMaxRunBias - inverse));
}

// JPEG files grow about evenly per halving of the library's table scaling for a quality.
double QualityScale(int quality) {
    const double scaling = quality < 50 ? 5000.0 / quality : 200.0 - 2.0 * quality;
    return -std::log2(std::max(scaling, 1.0));
}

// Every format is made once. Decisions take the quick size, an upper bound of the saved
// file's; the saved bytes are written for the formats that may be reported.
class Search {
public:
    Search(const PackedDib* base, const CarrierRule& rule)
        : base_(base), limit_(rule.limit), quantizer_(base) {}

    int64_t Limit() const { return limit_; }

    const Measured& Measure(const OutputFormat& format) {
        auto [it, fresh] = seen_.try_emplace(format);
        Measured& m = it->second;
        if (!fresh)
            return m;
        std::vector<uint8_t> bytes;
        DibPtr decoded;
        const PackedDib* shown = nullptr;
        if (format.IsPng()) {
            m.picture = format.UsesRunBias()
                            ? quantizer_.ReduceWithRunBias(format.colors, format.runBias)
                            : quantizer_.Reduce(format.colors, format.dither);
            m.made = m.picture && EncodeCompactPngQuick(m.picture.get(), &bytes);
            shown = m.picture.get();
        } else {
            // One way of writing only: the bytes are the saved file's.
            m.made = HighQualitySavedBytes(SaveSource{base_, 75, format, base_}, false, &bytes);
            if (m.made)
                decoded = ReadJpegMemory(bytes.data(), bytes.size());
            m.made = m.made && decoded;
            m.exact = int64_t(bytes.size());
            shown = decoded.get();
        }
        ++filesMade_;
        if (!m.made)
            return m;
        m.quick = int64_t(bytes.size());
        m.psnr = PsnrDb(shown, base_);
        Consider(format, m);
        return m;
    }

    // The saved file's bytes, -1 when it cannot be made.
    int64_t Exact(const OutputFormat& format) {
        Measured& m = const_cast<Measured&>(Measure(format));
        if (m.made && m.exact < 0) {
            std::vector<uint8_t> bytes;
            if (!HighQualitySavedBytes(SaveSource{m.picture.get(), 75, format, base_}, true,
                                       &bytes)) {
                m.made = false;
                return -1;
            }
            ++filesMade_;
            m.exact = int64_t(bytes.size());
            m.colors = PaletteEntries(bytes);
            Consider(format, m);
        }
        return m.made ? m.exact : -1;
    }

    // The best known bytes of a format's file, -1 when it cannot be made.
    int64_t SizeOf(const OutputFormat& format) {
        const Measured& m = Measure(format);
        return m.made ? m.Known() : -1;
    }

    const std::optional<OutputFormat>& Best() const { return best_; }

    // Writes the saved bytes of every format made and not yet written: when nothing fits
    // by the quick sizes, the real ones may, and the smallest reached is reported.
    void WriteAll() {
        for (auto& [format, m] : seen_)
            if (m.made && m.exact < 0)
                Exact(format);
    }

    FitResult Result() {
        FitResult r;
        if (best_)
            Exact(*best_); // the saved size is the one reported
        r.filesMade = filesMade_;
        r.fits = best_.has_value();
        if (r.fits) {
            const Measured& m = seen_.at(*best_);
            r.format = *best_;
            r.size = m.exact;
            r.psnr = m.psnr;
            r.colorsUsed = m.colors;
        } else {
            for (const auto& [format, m] : seen_)
                if (m.made && (r.size == 0 || m.Known() < r.size))
                    r.size = m.Known();
        }
        return r;
    }

private:
    void Consider(const OutputFormat& format, const Measured& m) {
        if (m.Known() > limit_)
            return;
        if (best_ && *best_ != format) {
            const Measured& best = seen_.at(*best_);
            if (m.psnr < best.psnr || (m.psnr == best.psnr && m.Known() >= best.Known()))
                return;
        }
        best_ = format;
    }

    const PackedDib* base_;
    int64_t limit_;
    QualityQuantizer quantizer_;
    std::map<OutputFormat, Measured> seen_;
    std::optional<OutputFormat> best_;
    int filesMade_ = 0;
};

constexpr int kNoFit = -1;

// The largest colour count that fits at a dithering level (kNoFit for none) and its PSNR.
struct LevelResult {
    int colors = kNoFit;
    double psnr = -1;
};

LevelResult FitColors(Search& search, int dither, int start, double step) {
    LevelResult r;
    const int n = LargestWithin(
        kQualityMinColors, kQualityMaxColors, start, step, search.Limit(), Log2,
        [&](int c) { return search.SizeOf(OutputFormat::HighQualityPng(c, dither)); });
    if (n >= kQualityMinColors) {
        r.colors = n;
        r.psnr = search.Measure(OutputFormat::HighQualityPng(n, dither)).psnr;
    }
    return r;
}

// At a colour count too large to fit plainly: the weakest run bias that fits, and its PSNR
// (-1 when not even the strongest fits). The bias is searched as 255 - bias so that files
// grow with the searched value.
double PsnrWithRunBias(Search& search, int colors, int* bias) {
    auto format = [&](int inverse) {
        return OutputFormat::RunBiasPng(colors, kMaxRunBias - inverse);
    };
    const int inverse =
        LargestWithin(0, kMaxRunBias - 1, kMaxRunBias - *bias, 1, search.Limit(), InverseBiasScale,
                      [&](int i) { return search.SizeOf(format(i)); });
    if (inverse < 0)
        return -1;
    *bias = kMaxRunBias - inverse;
    return search.Measure(format(inverse)).psnr;
}

// PNG: the largest plain count without dithering first; then dithering levels in steps of
// 25 while the picture gets better, and once halfway beside the best; then counts beyond
// the plain largest with the weakest run bias that fits, by a golden-section search over
// log2(count) (the picture first gains from the colours, then loses to the bias).
void FitPng(Search& search) {
    const LevelResult plain = FitColors(search, 0, kQualityMaxColors, 1);
    if (plain.colors == kNoFit)
        return; // not even two colours fit; dithering and bias cannot make it smaller
    std::map<int, LevelResult> levels{{0, plain}};
    auto level = [&](int dither) {
        auto it = levels.find(dither);
        if (it == levels.end())
            it = levels.emplace(dither, FitColors(search, dither, plain.colors, 0.25)).first;
        return it->second.psnr;
    };
    int best = 0;
    for (int d = 25; d <= 100 && level(d) > level(best); d += 25)
        best = d;
    for (int d : {best - 12, best + 12})
        if (d > 0 && d < 100 && level(d) > level(best))
            best = d;

    if (plain.colors >= kQualityMaxColors)
        return;
    std::map<int, double> withBias;
    int bias = 8;
    auto biased = [&](double logColors) {
        const int colors =
            std::clamp(int(std::lround(std::exp2(logColors))), plain.colors + 1, kQualityMaxColors);
        auto it = withBias.find(colors);
        if (it == withBias.end())
            it = withBias.emplace(colors, PsnrWithRunBias(search, colors, &bias)).first;
        return it->second;
    };
    constexpr double kGolden = 0.6180339887498949;
    double a = std::log2(double(plain.colors + 1)), b = std::log2(double(kQualityMaxColors));
    double c = b - kGolden * (b - a), d = a + kGolden * (b - a);
    for (int i = 0; i < 4 && b - a > 0.15; ++i) {
        if (biased(c) >= biased(d)) {
            b = d;
            d = c;
            c = b - kGolden * (b - a);
        } else {
            a = c;
            c = d;
            d = a + kGolden * (b - a);
        }
    }
}

// The search chose by quick sizes; the saved files are a little smaller, so the chosen PNG
// may afford a weaker run bias or more colours. Both are searched on the saved sizes.
void PolishPng(Search& search) {
    const OutputFormat best = *search.Best();
    const int colors = best.colors;
    if (best.UsesRunBias()) {
        LargestWithin(kMaxRunBias - best.runBias, kMaxRunBias, kMaxRunBias - best.runBias + 1, 1,
                      search.Limit(), InverseBiasScale, [&](int inverse) {
                          // No bias at all is the plain palette without dithering.
                          return search.Exact(
                              OutputFormat::RunBiasPng(colors, kMaxRunBias - inverse));
                      });
    } else {
        LargestWithin(
            colors, kQualityMaxColors, colors + 1, 0.05, search.Limit(), Log2,
            [&](int n) { return search.Exact(OutputFormat::HighQualityPng(n, best.dither)); });
    }
}

void FitJpeg(Search& search) {
    for (bool flatTables : {false, true})
        for (bool fullChroma : {false, true})
            LargestWithin(1, 100, 100, 1, search.Limit(), QualityScale, [&](int q) {
                return search.SizeOf(OutputFormat::HighQualityJpeg(q, fullChroma, flatTables));
            });
}

} // namespace

const CarrierRule& RuleFor(Carrier carrier) {
    return carrier == Carrier::JSky ? kJSky : kEZweb;
}

FitResult FitToLimit(const PackedDib* base, Carrier carrier, FitKinds kinds) {
    if (!base || base->width <= 0 || base->height <= 0)
        return {};
    const CarrierRule& rule = RuleFor(carrier);
    Search search(base, rule);
    if (kinds.png)
        FitPng(search);
    if (kinds.jpeg && rule.takesJpeg)
        FitJpeg(search);
    if (!search.Best())
        search.WriteAll();
    if (search.Best() && search.Best()->IsPng())
        PolishPng(search);
    FitResult result = search.Result();
    // The search only keeps files within the limit; this states it where it matters.
    if (result.fits && result.size > rule.limit)
        result.fits = false;
    return result;
}

std::string FitSummary(const FitResult& result, Carrier carrier) {
    const CarrierRule& rule = RuleFor(carrier);
    char text[256];
    if (result.fits)
        std::snprintf(text, sizeof text, "%s %lld バイト以内: %s (PSNR %.2f dB)", rule.name,
                      static_cast<long long>(rule.limit),
                      FittedFormatText(result.format, result.colorsUsed, result.size).c_str(),
                      result.psnr);
    else if (result.size > 0)
        std::snprintf(
            text, sizeof text, "%s の %lld バイト以内に収まる形式はありません（最小 %lld バイト）",
            rule.name, static_cast<long long>(rule.limit), static_cast<long long>(result.size));
    else
        std::snprintf(text, sizeof text, "%s: 画像がないため合わせられません", rule.name);
    return text;
}
