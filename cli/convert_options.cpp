#include "cli/convert_options.h"

#include "phone/formats.h"
#include "phone/profile_selection.h"
#include "phone/profiles.h"

#include <charconv>

namespace {

bool ParseInt(const std::string& text, int* value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, *value);
    return ec == std::errc() && ptr == end && !text.empty();
}

// Whole numbers separated by `separator`, exactly `count` of them.
bool ParseInts(const std::string& text, char separator, int count, int* values) {
    size_t start = 0;
    for (int i = 0; i < count; ++i) {
        const size_t end = i + 1 < count ? text.find(separator, start) : text.size();
        if (end == std::string::npos || !ParseInt(text.substr(start, end - start), &values[i]))
            return false;
        start = end + 1;
    }
    return true;
}

bool InRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

} // namespace

ParsedCommand ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommand cmd;
    ConvertOptions& o = cmd.options;
    std::string profileText, formatText;
    std::string serveOption; // an option that only means something with --serve
    auto fail = [&](const std::string& message) {
        cmd.error = message;
        return cmd;
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Options that take a value read it from the next argument.
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            cmd.action = ParsedCommand::Action::Help;
            return cmd;
        } else if (arg == "--version") {
            cmd.action = ParsedCommand::Action::Version;
            return cmd;
        } else if (arg == "--list-profiles") {
            cmd.action = ParsedCommand::Action::ListProfiles;
        } else if (arg == "--list-formats") {
            cmd.action = ParsedCommand::Action::ListFormats;
        } else if (arg == "--info") {
            cmd.action = ParsedCommand::Action::Info;
        } else if (arg == "--profile") {
            if (!value(&profileText))
                return fail("--profile needs an index or a name");
        } else if (arg == "--size") {
            int wh[2];
            if (!value(&v) || !ParseInts(v, 'x', 2, wh) ||
                !InRange(wh[0], kCustomSizeMin, kCustomSizeMax) ||
                !InRange(wh[1], kCustomSizeMin, kCustomSizeMax))
                return fail("--size needs WxH with each side from 20 to 180");
            o.customWidth = wh[0];
            o.customHeight = wh[1];
        } else if (arg == "--format") {
            if (!value(&formatText))
                return fail("--format needs an index or a format text");
        } else if (arg == "--fit") {
            if (!value(&v) || (v != "jsky" && v != "ezweb"))
                return fail("--fit needs jsky or ezweb");
            o.fit = v == "jsky" ? Carrier::JSky : Carrier::EZweb;
        } else if (arg == "--select") {
            int r[4];
            if (!value(&v) || !ParseInts(v, ',', 4, r) || r[0] < 0 || r[1] < 0 || r[2] <= r[0] ||
                r[3] <= r[1])
                return fail("--select needs L,T,R,B with L < R and T < B, none negative");
            if (o.selection == ConvertOptions::Selection::Whole)
                return fail("--select and --whole exclude each other");
            o.selection = ConvertOptions::Selection::Given;
            o.selectRect = {r[0], r[1], r[2], r[3]};
        } else if (arg == "--whole") {
            if (o.selection == ConvertOptions::Selection::Given)
                return fail("--select and --whole exclude each other");
            o.selection = ConvertOptions::Selection::Whole;
        } else if (arg == "--no-lock") {
            o.aspectLock = false;
        } else if (arg == "--resample") {
            const auto choice = value(&v) ? ParseResamplingChoice(v) : std::nullopt;
            if (!choice)
                return fail("--resample needs auto, classic, area or lanczos");
            o.resampling = *choice;
        } else if (arg == "--rotate") {
            if (!value(&v) || !ParseInt(v, &o.rotate) ||
                (o.rotate != 90 && o.rotate != 180 && o.rotate != 270))
                return fail("--rotate needs 90, 180 or 270");
        } else if (arg == "--upside-down") {
            o.upsideDown = true;
        } else if (arg == "--mirror") {
            o.mirror = true;
        } else if (arg == "--angle") {
            if (!value(&v) || !ParseInt(v, &o.angle) || !InRange(o.angle, 0, 359))
                return fail("--angle needs whole degrees from 0 to 359");
        } else if (arg == "--brightness") {
            if (!value(&v) || !ParseInt(v, &o.brightness) || !InRange(o.brightness, -255, 255))
                return fail("--brightness needs a value from -255 to 255");
        } else if (arg == "--contrast") {
            if (!value(&v) || !ParseInt(v, &o.contrast) || !InRange(o.contrast, -100, 100))
                return fail("--contrast needs a value from -100 to 100");
        } else if (arg == "--rgb" || arg == "--ycrcb") {
            int c[3];
            if (!value(&v) || !ParseInts(v, ',', 3, c) || !InRange(c[0], -255, 255) ||
                !InRange(c[1], -255, 255) || !InRange(c[2], -255, 255))
                return fail(arg + " needs three values from -255 to 255, separated by commas");
            if (o.offsetKind != ConvertOptions::Offsets::None)
                return fail("--rgb and --ycrcb exclude each other");
            o.offsetKind =
                arg == "--rgb" ? ConvertOptions::Offsets::Rgb : ConvertOptions::Offsets::YCrCb;
            o.offsets = {int16_t(c[0]), int16_t(c[1]), int16_t(c[2])};
        } else if (arg == "-o") {
            if (!value(&o.output) || o.output.empty())
                return fail("-o needs a file or folder");
        } else if (arg == "--export-source") {
            if (!value(&o.exportSource) || o.exportSource.empty())
                return fail("--export-source needs a file or folder");
        } else if (arg == "--serve") {
            o.serve = true;
            // The port is optional: only a number that follows is taken as one.
            if (i + 1 < args.size() && !args[i + 1].empty() &&
                args[i + 1].find_first_not_of("0123456789") == std::string::npos) {
                if (!ParseInt(args[++i], &o.servePort) || !InRange(o.servePort, 0, 65535))
                    return fail("--serve takes a port from 0 to 65535");
            }
        } else if (arg == "--serve-count") {
            if (!value(&v) || !ParseInt(v, &o.serveCount) || o.serveCount < 1)
                return fail("--serve-count needs a number of fetches of at least 1");
            serveOption = arg;
        } else if (arg == "--bind") {
            if (!value(&o.bindAddress) || o.bindAddress.empty())
                return fail("--bind needs an address or an interface name");
            serveOption = arg;
        } else if (IsMailOption(arg)) {
            std::string error;
            if (!ParseMailOption(args, i, o.mail, error))
                return fail(error);
        } else if (arg == "--") {
            o.inputs.insert(o.inputs.end(), args.begin() + long(i) + 1, args.end());
            break;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return fail("unknown option '" + arg + "'");
        } else {
            o.inputs.push_back(arg);
        }
    }

    if (!profileText.empty()) {
        if (!ParseInt(profileText, &o.profile)) {
            o.profile = FindProfileByName(profileText, o.customWidth, o.customHeight);
            if (o.profile < 0)
                return fail("no profile is named '" + profileText + "' (see --list-profiles)");
        } else if (!InRange(o.profile, 0, kProfileListCount - 1)) {
            return fail("--profile index must be from 0 to 151");
        }
    }
    if (!formatText.empty()) {
        if (!ParseInt(formatText, &o.format))
            o.format = FindFormatByText(formatText.c_str());
        if (!InRange(o.format, 0, int(OutputFormats().size()) - 1))
            return fail("no format '" + formatText + "' (see --list-formats)");
    }

    if (cmd.action == ParsedCommand::Action::Info) {
        if (o.inputs.empty())
            return fail("--info needs at least one file");
        return cmd;
    }
    if (cmd.action != ParsedCommand::Action::Convert)
        return cmd;
    if (o.inputs.empty())
        return fail("no input picture given");
    if (!o.exportSource.empty() && !o.output.empty())
        return fail("--export-source and -o exclude each other");
    if (o.fit && !formatText.empty())
        return fail("--fit and --format exclude each other");
    if (o.fit && !o.exportSource.empty())
        return fail("--fit and --export-source exclude each other");
    if (!serveOption.empty() && !o.serve)
        return fail(serveOption + " needs --serve");
    if (o.serve && !o.exportSource.empty())
        return fail("--serve and --export-source exclude each other");
    if (o.serve && o.inputs.size() != 1)
        return fail("--serve takes exactly one input picture");
    if (const std::string error = CheckMailOptions(o.mail, !o.exportSource.empty()); !error.empty())
        return fail(error);
    return cmd;
}
