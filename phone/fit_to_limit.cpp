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
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace {

const CarrierRule kJSky{"J-Sky", kJSkyLimit, true};
const CarrierRule kEZweb{"EZweb", kEZwebLimit, false};

// What is known of one format; written only under its lock.
struct Measured {
    std::mutex lock;
    bool tried = false;
    bool made = false;
    DibPtr picture;     // PNG: the reduced picture the file holds
    int64_t quick = 0;  // bytes with the writer's first setting: never below the file's
    int64_t exact = -1; // bytes of the saved file, once written
    double psnr = 0;
    int colors = 0;
    std::shared_ptr<const std::vector<uint8_t>> file; // the saved bytes, once written
    int64_t Known() const { return exact >= 0 ? exact : quick; }
};

// A copy of what a format measured, to read while other threads go on.
struct Probe {
    bool made = false;
    int64_t quick = -1;
    int64_t size = -1; // the best known bytes
    double psnr = -1;
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

// Runs every task once, here and on one more thread. A task keeps its findings to itself
// or in the search, whose files are the same whoever makes them, so what the fit finds
// does not depend on which thread ran what.
void RunTasks(const std::vector<std::function<void()>>& tasks) {
    std::atomic<size_t> next{0};
    std::mutex failureLock;
    std::exception_ptr failure;
    auto work = [&] {
        for (size_t i; (i = next++) < tasks.size();) {
            try {
                tasks[i]();
            } catch (...) {
                const std::lock_guard<std::mutex> hold(failureLock);
                if (!failure)
                    failure = std::current_exception();
            }
        }
    };
    std::thread helper;
    if (tasks.size() > 1) {
        try {
            helper = std::thread(work);
        } catch (const std::system_error&) {
            // No second thread: this one does it all.
        }
    }
    work();
    if (helper.joinable())
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
}

// The largest x in [first, last] whose file fits, for files that grow with x; first - 1
// when none does. Probes `start` first, widens by doubling steps until the limit is
// bracketed, then interpolates on the sizes (in `scale` of x) and keeps narrowing until
// the bracket is no wider than `resolution` on the scale; an interpolated probe next to a
// bracket end falls back to the middle so that no search creeps along one side.
template <class SizeAt, class Scale>
int LargestWithin(int first, int last, int start, double initialStep, int64_t limit, Scale scale,
                  SizeAt sizeAt, double resolution = 0) {
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
        if (hi - lo <= 1 || (lo >= first && hi <= last && scale(hi) - scale(lo) <= resolution))
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

// Rounds of the search over colour counts: each keeps two thirds of log2(count)'s range.
constexpr int kPngRounds = 4;
// Counts below this are tried only when nothing above fits.
constexpr int kLowestSearchedColors = 8;
// A PNG this far behind the best JPEG after two rounds will not catch up: more colours
// and a weaker bias gain less.
constexpr double kPngHopelessDb = 3.0;
// The run bias a count beyond the plain fit is first tried with, and how closely the
// weakest bias that fits is sought (on log2(1 + bias)).
constexpr int kFirstRunBias = 16;
constexpr double kRunBiasResolution = 0.12;
// The saved PNG files (zopfli) come out some 5-8 % below the quick ones: the search over
// quick sizes aims at this budget until one saved file tells this picture's ratio, and
// the saved files are then checked.
constexpr int64_t kQuickBudgetPercent = 106;
constexpr int64_t kMaxBudgetPercent = 115;

// Every format is made once, whichever thread asks first. Decisions take the quick size,
// an upper bound of the saved file's; the saved bytes are written for the formats that may
// be reported.
class Search {
public:
    Search(const PackedDib* base, const CarrierRule& rule, const std::atomic<bool>* cancel)
        : base_(base), limit_(rule.limit), cancel_(cancel), quantizer_(base) {}

    int64_t Limit() const { return limit_; }
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

    Probe Measure(const OutputFormat& format) {
        Measured& m = Slot(format);
        const std::lock_guard<std::mutex> hold(m.lock);
        Make(format, m);
        return Probe{m.made, m.made ? m.quick : -1, m.made ? m.Known() : -1, m.psnr};
    }

    // The best known bytes of a format's file, -1 when it cannot be made.
    int64_t SizeOf(const OutputFormat& format) { return Measure(format).size; }

    // The saved file's bytes, -1 when it cannot be made.
    int64_t Exact(const OutputFormat& format) {
        Measured& m = Slot(format);
        const std::lock_guard<std::mutex> hold(m.lock);
        Make(format, m);
        if (m.made && m.exact < 0 && !Cancelled())
            Write(format, m);
        return m.made && m.exact >= 0 ? m.exact : -1;
    }

    // Among the formats of the kind (any when none) within the limit by their best known
    // bytes: the highest PSNR, then the fewer bytes, then the first in format order.
    std::optional<OutputFormat> Best(std::optional<FormatKind> kind = {}) {
        std::optional<OutputFormat> best;
        double bestPsnr = 0;
        int64_t bestSize = 0;
        for (auto& [format, m] : Slots()) {
            if (kind && format.kind != *kind)
                continue;
            const std::lock_guard<std::mutex> hold(m->lock);
            if (!m->made || m->Known() > limit_)
                continue;
            if (!best || m->psnr > bestPsnr || (m->psnr == bestPsnr && m->Known() < bestSize)) {
                best = format;
                bestPsnr = m->psnr;
                bestSize = m->Known();
            }
        }
        return best;
    }
    double BestPsnr(FormatKind kind) {
        const std::optional<OutputFormat> best = Best(kind);
        return best ? Measure(*best).psnr : -1;
    }

    // When nothing fits by the quick sizes, the saved ones may: writes the formats close
    // enough to the limit for that.
    void WriteNearLimit() {
        for (auto& [format, m] : Slots()) {
            int64_t quick;
            {
                const std::lock_guard<std::mutex> hold(m->lock);
                quick = m->made && m->exact < 0 ? m->quick : -1;
            }
            if (quick >= 0 && quick * 100 <= limit_ * kSavedShrinkPercent)
                Exact(format);
        }
    }

    FitResult Result() {
        FitResult r;
        r.cancelled = Cancelled();
        const std::optional<OutputFormat> best = r.cancelled ? std::nullopt : Best();
        if (best)
            Exact(*best); // the saved size is the one reported
        r.filesMade = filesMade_;
        r.fits = best && !Cancelled();
        r.cancelled = Cancelled();
        if (r.fits) {
            Measured& m = Slot(*best);
            const std::lock_guard<std::mutex> hold(m.lock);
            r.format = *best;
            r.size = m.exact;
            r.psnr = m.psnr;
            r.colorsUsed = m.colors;
            r.file = m.file;
        } else {
            for (auto& [format, m] : Slots()) {
                const std::lock_guard<std::mutex> hold(m->lock);
                if (m->made && (r.size == 0 || m->Known() < r.size))
                    r.size = m->Known();
            }
        }
        return r;
    }

private:
    // Zopfli's files come out some 5-8 % below the quick ones, rarely beyond 15 %.
    static constexpr int64_t kSavedShrinkPercent = 118;

    Measured& Slot(const OutputFormat& format) {
        const std::lock_guard<std::mutex> hold(slotsLock_);
        std::unique_ptr<Measured>& slot = seen_[format];
        if (!slot)
            slot = std::make_unique<Measured>();
        return *slot;
    }

    // The slots in format order; slots are never removed, so the pointers stay good.
    std::vector<std::pair<OutputFormat, Measured*>> Slots() {
        const std::lock_guard<std::mutex> hold(slotsLock_);
        std::vector<std::pair<OutputFormat, Measured*>> slots;
        for (auto& [format, m] : seen_)
            slots.emplace_back(format, m.get());
        return slots;
    }

    // With the slot's lock held.
    void Make(const OutputFormat& format, Measured& m) {
        if (m.tried || Cancelled())
            return;
        m.tried = true;
        std::vector<uint8_t> bytes;
        DibPtr decoded;
        const PackedDib* shown = nullptr;
        const bool png = format.IsPng();
        if (png) {
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
            return;
        m.quick = int64_t(bytes.size());
        m.psnr = PsnrDb(shown, base_);
        if (!png)
            m.file = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    }

    // The saved bytes of a PNG format; with the slot's lock held.
    void Write(const OutputFormat& format, Measured& m) {
        std::vector<uint8_t> bytes;
        if (!HighQualitySavedBytes(SaveSource{m.picture.get(), 75, format, base_}, true, &bytes)) {
            m.made = false;
            return;
        }
        ++filesMade_;
        m.exact = int64_t(bytes.size());
        m.colors = PaletteEntries(bytes);
        m.file = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
    }

    const PackedDib* base_;
    int64_t limit_;
    const std::atomic<bool>* cancel_;
    QualityQuantizer quantizer_;
    std::mutex slotsLock_;
    std::map<OutputFormat, std::unique_ptr<Measured>> seen_;
    std::atomic<int> filesMade_{0};
};

// A PNG format and its PSNR; none for no format.
struct Candidate {
    std::optional<OutputFormat> format;
    double psnr = -1;
};
Candidate Better(const Candidate& a, const Candidate& b) {
    return b.psnr > a.psnr || (b.psnr == a.psnr && b.format && (!a.format || *b.format < *a.format))
               ? b
               : a;
}

// PNG at one colour count: the plain picture when its quick file is within `budget`, else
// the weakest run bias that is (searched as 255 - bias, so that files grow with the
// value). None when not even the strongest bias is.
Candidate BestAtCount(Search& search, int colors, int64_t budget) {
    const OutputFormat plain = OutputFormat::HighQualityPng(colors, 0);
    const Probe probe = search.Measure(plain);
    if (!probe.made)
        return {};
    if (probe.quick <= budget)
        return {plain, probe.psnr};
    auto format = [&](int inverse) {
        return OutputFormat::RunBiasPng(colors, kMaxRunBias - inverse);
    };
    const int inverse = LargestWithin(
        0, kMaxRunBias - 1, kMaxRunBias - kFirstRunBias, 1, budget, InverseBiasScale,
        [&](int i) { return search.Measure(format(i)).quick; }, kRunBiasResolution);
    if (inverse < 0)
        return {};
    return {format(inverse), search.Measure(format(inverse)).psnr};
}

// PNG: the best over colour counts of BestAtCount, which first rises with the count
// (while the plain picture fits) and then falls to the bias that more colours need. Two
// counts a round, one per thread, cut a third off log2(count)'s range. When 256 plain
// colours fit, dithering may still gain. A PNG far behind the best JPEG is given up early;
// the JPEG searches (`alongside`) run with the first round.
std::vector<Candidate> SearchPng(Search& search, std::vector<std::function<void()>> alongside) {
    int64_t budget = search.Limit() * kQuickBudgetPercent / 100;
    double lo = std::log2(double(kLowestSearchedColors)), hi = std::log2(double(kQualityMaxColors));
    auto count = [](double log) {
        return std::clamp(int(std::lround(std::exp2(log))), kQualityMinColors, kQualityMaxColors);
    };
    Candidate best;
    std::vector<Candidate> found;
    auto keep = [&](const Candidate& c) {
        if (c.format)
            found.push_back(c);
        best = Better(best, c);
    };
    // The best first (ties: the first in format order), each format once.
    auto ranked = [&] {
        std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
            return a.psnr != b.psnr ? a.psnr > b.psnr : *a.format < *b.format;
        });
        found.erase(std::unique(found.begin(), found.end(),
                                [](const Candidate& a, const Candidate& b) {
                                    return a.format == b.format;
                                }),
                    found.end());
        return found;
    };
    double jpegPsnr = -1;
    for (int round = 0; round < kPngRounds && !search.Cancelled(); ++round) {
        const double a = lo + (hi - lo) / 3, b = hi - (hi - lo) / 3;
        Candidate ga, gb;
        std::vector<std::function<void()>> tasks{
            [&] { ga = BestAtCount(search, count(a), budget); },
            [&] { gb = BestAtCount(search, count(b), budget); }};
        // The first round's two counts take unequal times: the other work fills the gap.
        if (round == 0) {
            tasks.insert(tasks.end(), alongside.begin(), alongside.end());
            RunTasks(tasks);
            jpegPsnr = search.BestPsnr(FormatKind::Jpeg);
        } else {
            RunTasks(tasks);
        }
        keep(ga);
        keep(gb);
        if (ga.psnr >= gb.psnr)
            hi = b;
        else
            lo = a;
        if (round >= 1 && best.psnr + kPngHopelessDb < jpegPsnr)
            return ranked();
        // The saved-to-quick ratio of the best so far sets the budget for the rounds left.
        if (round == 1 && best.format) {
            // The next round's plain palettes are made while the saved file is written.
            const OutputFormat chosen = *best.format;
            const double a2 = lo + (hi - lo) / 3, b2 = hi - (hi - lo) / 3;
            int64_t exact = -1;
            RunTasks({[&] { exact = search.Exact(chosen); },
                      [&] { search.Measure(OutputFormat::HighQualityPng(count(a2), 0)); },
                      [&] { search.Measure(OutputFormat::HighQualityPng(count(b2), 0)); }});
            if (exact > 0)
                budget = std::clamp(search.Limit() * search.Measure(*best.format).quick / exact,
                                    search.Limit(), search.Limit() * kMaxBudgetPercent / 100);
        }
    }
    if (!best.format)
        for (int n = kLowestSearchedColors - 1; n >= kQualityMinColors && !best.format; --n)
            keep(BestAtCount(search, n, budget));
    // Still rising at the top: all the colours, and with them perhaps dithering.
    if (hi == std::log2(double(kQualityMaxColors)))
        keep(BestAtCount(search, kQualityMaxColors, budget));
    if (best.format == OutputFormat::HighQualityPng(kQualityMaxColors, 0)) {
        Candidate levels[4];
        std::vector<std::function<void()>> tasks;
        for (int i = 0; i < 4; ++i)
            tasks.push_back([&search, &levels, i, budget] {
                const OutputFormat format =
                    OutputFormat::HighQualityPng(kQualityMaxColors, 25 * (i + 1));
                const Probe p = search.Measure(format);
                if (p.made && p.quick <= budget)
                    levels[i] = {format, p.psnr};
            });
        RunTasks(tasks);
        for (const Candidate& c : levels)
            keep(c);
    }
    return ranked();
}

// The search chose by quick sizes against a predicted budget; the saved files decide. When
// the best fits with a percent or more to spare, two weaker biases are written side by
// side. When it is over the limit, its saved-to-quick ratio gives a budget that should
// hold: the weakest bias within it is written beside the runner-up.
void SettlePng(Search& search, const std::vector<Candidate>& ranked) {
    const Candidate& chosen = ranked.front();
    const OutputFormat& format = *chosen.format;
    const int64_t exact = search.Exact(format);
    if (exact < 0 || search.Cancelled())
        return;
    const int colors = format.colors;
    const int bias = format.runBias;
    // No bias at all is the plain palette without dithering.
    auto biased = [colors](int b) { return OutputFormat::RunBiasPng(colors, b); };
    std::vector<OutputFormat> tries;
    if (exact > search.Limit() && ranked.size() > 1)
        tries.push_back(*ranked[1].format);
    if (format.dither == 0 && exact <= search.Limit()) {
        if (exact * 100 <= search.Limit() * 99)
            for (int b : {bias - std::max(1, bias / 8), bias - std::max(2, bias / 4)})
                if (b >= 0)
                    tries.push_back(biased(b));
    } else if (format.dither == 0) {
        const int64_t budget = search.Limit() * search.Measure(format).quick / exact;
        const int inverse = LargestWithin(
            0, kMaxRunBias - bias, kMaxRunBias - bias, 1, budget, InverseBiasScale,
            [&](int i) { return search.Measure(biased(kMaxRunBias - i)).quick; },
            kRunBiasResolution);
        if (inverse >= 0)
            tries.push_back(biased(kMaxRunBias - inverse));
    }
    std::vector<std::function<void()>> writes;
    for (const OutputFormat& f : tries)
        writes.push_back([&search, f] { search.Exact(f); });
    RunTasks(writes);
}

// Four searches over the quality, one per kind of table and colour resolution.
std::vector<std::function<void()>> JpegSearches(Search& search) {
    std::vector<std::function<void()>> tables;
    for (bool flatTables : {false, true})
        for (bool fullChroma : {true, false})
            tables.push_back([&search, flatTables, fullChroma] {
                LargestWithin(1, 100, 100, 1, search.Limit(), QualityScale, [&](int q) {
                    return search.SizeOf(OutputFormat::HighQualityJpeg(q, fullChroma, flatTables));
                });
            });
    return tables;
}

} // namespace

const CarrierRule& RuleFor(Carrier carrier) {
    return carrier == Carrier::JSky ? kJSky : kEZweb;
}

uint64_t BaseFingerprint(const PackedDib* base) {
    if (!base)
        return 0;
    uint64_t h = 1469598103934665603ull;
    auto add = [&h](const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 1099511628211ull;
        }
    };
    add(reinterpret_cast<const uint8_t*>(base), sizeof(PackedDib));
    add(DibBits(base), DibPixelBytes(base));
    return h;
}

FitResult FitToLimit(const PackedDib* base, Carrier carrier, FitKinds kinds,
                     const std::atomic<bool>* cancel) {
    if (!base || base->width <= 0 || base->height <= 0)
        return {};
    const CarrierRule& rule = RuleFor(carrier);
    Search search(base, rule, cancel);
    std::vector<std::function<void()>> jpeg;
    if (kinds.jpeg && rule.takesJpeg)
        jpeg = JpegSearches(search);
    if (kinds.png) {
        // The JPEG searches run beside the first round of colour counts.
        const std::vector<Candidate> png = SearchPng(search, std::move(jpeg));
        if (!png.empty() && png.front().psnr >= search.BestPsnr(FormatKind::Jpeg))
            SettlePng(search, png);
    } else {
        RunTasks(jpeg);
    }
    if (!search.Best())
        search.WriteNearLimit();
    FitResult result = search.Result();
    result.baseFingerprint = BaseFingerprint(base);
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
