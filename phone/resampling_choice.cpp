#include "phone/resampling_choice.h"

namespace {

constexpr struct {
    ResamplingChoice choice;
    const char* name;
} kNames[] = {
    {ResamplingChoice::Auto, "auto"},
    {ResamplingChoice::Classic, "classic"},
    {ResamplingChoice::Area, "area"},
    {ResamplingChoice::Lanczos, "lanczos"},
};

} // namespace

const char* ResamplingChoiceName(ResamplingChoice choice) {
    for (const auto& n : kNames)
        if (n.choice == choice)
            return n.name;
    return "auto";
}

std::optional<ResamplingChoice> ParseResamplingChoice(std::string_view name) {
    for (const auto& n : kNames)
        if (name == n.name)
            return n.choice;
    return std::nullopt;
}
