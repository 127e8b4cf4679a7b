// A multipart/mixed message: the message text as a first text/plain part, then one base64
// part per attached file.
#pragma once

#include "mail/part_handlers.h"
#include "mail/plain_mail.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct MimePart {
    int type = PART_TEXT;
    std::string parameter; // appended behind the media type of a text part
    std::string content;   // the text itself, or the path of the file to attach
};

class CMimeMail : public CPlainMail {
public:
    CMimeMail();

    // A text part goes to the front of the list, any other to its end; the content is
    // trimmed of white space at both ends.
    bool AddPart(std::string_view content, int type, std::string_view parameter);
    const std::vector<MimePart>& Parts() const { return parts_; }

    std::string preamble;
    std::string boundary;
    std::string contentType;

protected:
    void FormatHeader() override;
    void FormatBody() override;
    virtual void AppendParts();

private:
    void AppendBoundaryLine();

    std::vector<MimePart> parts_;
};

// The part type for an attachment by its file name's extension, compared without regard to
// case (.gif, .png, .jpg/.jpeg, anything else a plain file); none when the name has none.
std::optional<int> AttachmentPartType(std::string_view path);
