#include "cli/terminal_qr.h"

namespace {

constexpr const char* kUpper = "\u2580"; // ▀ the upper module dark
constexpr const char* kLower = "\u2584"; // ▄ the lower one
constexpr const char* kBoth = "\u2588";  // █ both
constexpr const char* kInkOnPaper = "\x1b[30;47m";
constexpr const char* kPlain = "\x1b[0m";

} // namespace

std::string TerminalQrCode(const QrModules& code, bool colour) {
    if (code.width == 0)
        return {};
    const int quiet = QrModules::kQuietZone;
    const int first = -quiet, end = code.width + quiet;
    std::string text;
    for (int y = first; y < end; y += 2) {
        if (colour)
            text += kInkOnPaper;
        for (int x = first; x < end; ++x) {
            const bool upper = code.Dark(x, y), lower = y + 1 < end && code.Dark(x, y + 1);
            text += upper && lower ? kBoth : upper ? kUpper : lower ? kLower : " ";
        }
        if (colour)
            text += kPlain;
        text += '\n';
    }
    return text;
}
