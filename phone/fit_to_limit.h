// Fitting a phone picture to a carrier's byte limit: the format with the highest PSNR
// against the base image whose saved file stays within the limit (ties: the smaller file).
// J-Sky takes a PNG or a baseline JPEG of at most 6000 bytes, EZweb a PNG of at most 7000.
// The search runs over the high-quality formats: colour count and run bias (dithering
// when 256 colours fit) for PNG, quality, quantisation tables and colour resolution for
// JPEG, on two threads; the result does not depend on their timing.
#pragma once

#include "image/dib.h"
#include "phone/formats.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum class Carrier { JSky, EZweb };

struct CarrierRule {
    const char* name; // "J-Sky", "EZweb"
    int64_t limit;    // bytes
    bool takesJpeg;
};
const CarrierRule& RuleFor(Carrier carrier);

struct FitResult {
    bool fits = false;
    OutputFormat format;    // the chosen format (valid when it fits)
    int64_t size = 0;       // bytes of its saved file; when nothing fits, the smallest reached
    double psnr = 0;        // dB against the base image, of the picture the saved file holds
    int colorsUsed = 0;     // PNG: colours in the file; 0 for JPEG
    int filesMade = 0;      // encodings the search needed
    bool cancelled = false; // the search was abandoned: nothing else here counts
    // The saved file itself (when it fits) and the base image it was made from
    // (BaseFingerprint), so that the conversion can take it instead of making it again.
    std::shared_ptr<const std::vector<uint8_t>> file = nullptr;
    uint64_t baseFingerprint = 0;
};

// Which kinds of file the search may choose (a JPEG only where the carrier takes one).
struct FitKinds {
    bool png = true;
    bool jpeg = true;
};

// Never reports a file over the limit as fitting. No base image: nothing fits, size 0.
// The search looks at `cancel` (when given) before every file it makes; once it is set,
// the search ends soon with `cancelled`, so that a newer request can take its place.
FitResult FitToLimit(const PackedDib* base, Carrier carrier, FitKinds kinds = {},
                     const std::atomic<bool>* cancel = nullptr);

// Tells base images apart by size and pixels (64-bit FNV-1a); 0 for none.
uint64_t BaseFingerprint(const PackedDib* base);

// One line for people: the chosen format, its size and its PSNR, or that nothing fits and
// the smallest size reached.
std::string FitSummary(const FitResult& result, Carrier carrier);
