// The options of a conversion run, parsed from the command line.
#pragma once

#include "cli/mail_options.h"
#include "image/pixel_ops.h"
#include "image/rect.h"
#include "phone/fit_to_limit.h"
#include "phone/resampling_choice.h"

#include <optional>
#include <string>
#include <vector>

struct ConvertOptions {
    int profile = 0; // index in the profile list
    int customWidth = 80;
    int customHeight = 80;
    int format = 3;
    std::optional<Carrier> fit; // --fit: the format is searched for this carrier's limit

    enum class Selection { Fit, Whole, Given };
    Selection selection = Selection::Fit;
    ImageRect selectRect;
    bool aspectLock = true;
    ResamplingChoice resampling = ResamplingChoice::Auto; // --resample

    // Adjustments of the source picture, applied in this order.
    int rotate = 0; // 0, 90, 180 or 270
    bool upsideDown = false;
    bool mirror = false;
    int angle = 0;
    int brightness = 0;
    int contrast = 0;
    enum class Offsets { None, Rgb, YCrCb };
    Offsets offsetKind = Offsets::None;
    ComponentOffsets offsets;

    std::string output;       // -o, empty for the default names
    std::string exportSource; // --export-source, empty when converting
    std::vector<std::string> inputs;
    MailOptions mail; // --mail and its account

    // --serve: the converted picture is then handed to phones by the web server.
    bool serve = false;
    int servePort = 80;      // 0 takes any free port
    int serveCount = 0;      // fetches to serve before stopping; 0 until interrupted
    std::string bindAddress; // the address the URL shows; empty for the server's own choice
};

struct ParsedCommand {
    enum class Action { Convert, Help, Version, ListProfiles, ListFormats, Info };
    Action action = Action::Convert;
    ConvertOptions options;
    std::string error; // a usage error when not empty
};

// Parses everything after the program name.
ParsedCommand ParseCommandLine(const std::vector<std::string>& args);
