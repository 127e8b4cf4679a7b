// Fitting a phone picture to a carrier's byte limit: the format with the highest PSNR
// against the base image whose saved file stays within the limit (ties: the smaller file).
// J-Sky takes a PNG or a baseline JPEG of at most 6000 bytes, EZweb a PNG of at most 7000.
// The search runs over the high-quality formats: colour count 2-256 and dithering level
// for PNG, quality, quantisation tables and colour resolution for JPEG, each by bisection
// over the files' real sizes.
#pragma once

#include "image/dib.h"
#include "phone/formats.h"

#include <cstdint>
#include <string>

enum class Carrier { JSky, EZweb };

struct CarrierRule {
    const char* name; // "J-Sky", "EZweb"
    int64_t limit;    // bytes
    bool takesJpeg;
};
const CarrierRule& RuleFor(Carrier carrier);

struct FitResult {
    bool fits = false;
    OutputFormat format; // the chosen format (valid when it fits)
    int64_t size = 0;    // bytes of its saved file; when nothing fits, the smallest reached
    double psnr = 0;     // dB against the base image, of the picture the saved file holds
    int colorsUsed = 0;  // PNG: colours in the file; 0 for JPEG
    int filesMade = 0;   // encodings the search needed
};

// Which kinds of file the search may choose (a JPEG only where the carrier takes one).
struct FitKinds {
    bool png = true;
    bool jpeg = true;
};

// Never reports a file over the limit as fitting. No base image: nothing fits, size 0.
FitResult FitToLimit(const PackedDib* base, Carrier carrier, FitKinds kinds = {});

// One line for people: the chosen format, its size and its PSNR, or that nothing fits and
// the smallest size reached.
std::string FitSummary(const FitResult& result, Carrier carrier);
