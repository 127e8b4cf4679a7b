// The resampling the user picks for the base image, and the rule behind "auto".
#pragma once

#include "image/resampling.h"

#include <optional>
#include <string_view>

// The values are what the settings store.
enum class ResamplingChoice { Auto = 0, Classic = 1, Area = 2, Lanczos = 3 };

// Auto keeps the classic sampling, and so the classic formats' bytes, for the fifteen
// classic formats; the high-quality formats and the fit to a carrier's limit get area means.
constexpr Resampling ResolveResampling(ResamplingChoice choice, bool classicFormat) {
    switch (choice) {
    case ResamplingChoice::Classic:
        return Resampling::Classic;
    case ResamplingChoice::Area:
        return Resampling::Area;
    case ResamplingChoice::Lanczos:
        return Resampling::Lanczos;
    case ResamplingChoice::Auto:
        break;
    }
    return classicFormat ? Resampling::Classic : Resampling::Area;
}

// "auto", "classic", "area", "lanczos": the words of the command line and of the settings.
const char* ResamplingChoiceName(ResamplingChoice choice);
std::optional<ResamplingChoice> ParseResamplingChoice(std::string_view name);
