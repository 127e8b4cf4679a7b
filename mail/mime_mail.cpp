#include "mail/mime_mail.h"

#include "mail/part_handler_registry.h"

#include <memory>
#include <strings.h>

namespace {

std::string_view Trimmed(std::string_view s) {
    constexpr std::string_view white = " \t\r\n\v\f";
    const size_t first = s.find_first_not_of(white);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(white) - first + 1);
}

bool SameLetters(std::string_view a, const char* b) {
    return a.size() == std::char_traits<char>::length(b) && strncasecmp(a.data(), b, a.size()) == 0;
}

} // namespace

CMimeMail::CMimeMail()
    : preamble("This is a multi-part message in MIME format."), boundary("-abcdefg"),
      contentType("multipart/mixed") {
    PartHandlerRegistry& registry = PartHandlerRegistry::Instance();
    registry.Register(std::make_unique<CTextPartHandler>(PART_TEXT, lineLength));
    registry.Register(std::make_unique<CFilePartHandler>(PART_FILE));
    registry.Register(std::make_unique<CImagePartHandler>(PART_JPEG));
    registry.Register(std::make_unique<CImagePartHandler>(PART_PNG));
    registry.Register(std::make_unique<CImagePartHandler>(PART_GIF));
}

bool CMimeMail::AddPart(std::string_view content, int type, std::string_view parameter) {
    MimePart part{type, std::string(parameter), std::string(Trimmed(content))};
    if (type == PART_TEXT)
        parts_.insert(parts_.begin(), std::move(part));
    else
        parts_.push_back(std::move(part));
    return true;
}

void CMimeMail::FormatHeader() {
    CPlainMail::FormatHeader();
    AddHeaderLine("MIME-Version: 1.0");
    AddHeaderLine("Content-Type: " + contentType + "; boundary=\"" + boundary + "\"");
}

void CMimeMail::FormatBody() {
    // The text part carries CP932 bytes; without the label today's mail programs guess wrong.
    if (!body.empty())
        AddPart(body, PART_TEXT, "; charset=Shift_JIS");
    body = preamble + "\r\n\r\n";
    AppendParts();
    EnsureLineEnd(body);
    body += "--" + boundary + "--\r\n";
    CPlainMail::FormatBody();
}

void CMimeMail::AppendBoundaryLine() {
    EnsureLineEnd(body);
    body += "--" + boundary + "\r\n";
}

void CMimeMail::AppendParts() {
    const PartHandlerRegistry& registry = PartHandlerRegistry::Instance();
    for (const MimePart& part : parts_) {
        const CPartHandler* handler = registry.Lookup(part.type);
        if (!handler)
            continue;
        AppendBoundaryLine();
        // A file that cannot be read leaves just its boundary line.
        handler->AppendPart(part.content, part.parameter, body);
    }
}

std::optional<int> AttachmentPartType(std::string_view path) {
    const std::string_view ext = SplitFileName(path).extension;
    if (ext.empty())
        return std::nullopt;
    if (SameLetters(ext, ".gif"))
        return PART_GIF;
    if (SameLetters(ext, ".png"))
        return PART_PNG;
    if (SameLetters(ext, ".jpg") || SameLetters(ext, ".jpeg"))
        return PART_JPEG;
    return PART_FILE;
}
