// The resampling the user picks for the base image, and the rule behind "auto".
#pragma once

#include "image/resampling.h"

#include <optional>
#include <string_view>

enum class ResamplingChoice { Auto, Classic, Area, Lanczos };

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
