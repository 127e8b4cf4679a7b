// The content handlers that turn one part of a multipart message into text, found by the
// part's type id in the process-wide registry.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

enum PartType : int { PART_TEXT = 0, PART_FILE = 1, PART_JPEG = 2, PART_PNG = 3, PART_GIF = 4 };

// Handlers are shared by every message of the process, on any thread, so they keep no state
// beyond what they are built with.
class CPartHandler {
public:
    explicit CPartHandler(int type) : type_(type) {}
    virtual ~CPartHandler() = default;
    CPartHandler(const CPartHandler&) = delete;
    CPartHandler& operator=(const CPartHandler&) = delete;

    int Type() const { return type_; }

    // Appends the part's header lines and its content to the body.
    virtual bool AppendPart(std::string_view content, std::string_view parameter,
                            std::string& body) const = 0;
    virtual std::string ContentTypeName() const = 0;
    // The part's header lines, ending with the empty line.
    virtual std::string BuildPartHeader(std::string_view content,
                                        std::string_view parameter) const = 0;

private:
    int type_;
};

// text/plain: the UTF-8 message text, sent as CP932 and wrapped.
class CTextPartHandler : public CPartHandler {
public:
    CTextPartHandler(int type, int width) : CPartHandler(type), width_(width) {}

    bool AppendPart(std::string_view content, std::string_view parameter,
                    std::string& body) const override;
    std::string ContentTypeName() const override;
    std::string BuildPartHeader(std::string_view content,
                                std::string_view parameter) const override;

private:
    int width_;
};

// application/octet-stream: the content is the path of the file to attach, base64-encoded.
class CFilePartHandler : public CPartHandler {
public:
    using CPartHandler::CPartHandler;

    // False, appending nothing, when the path is empty or names no readable regular file.
    bool AppendPart(std::string_view content, std::string_view parameter,
                    std::string& body) const override;
    std::string ContentTypeName() const override;
    std::string BuildPartHeader(std::string_view content,
                                std::string_view parameter) const override;
    // Appends the file's base64 lines: one per 54 bytes, then one more CR LF.
    virtual void EncodeFile(std::FILE* file, std::string& body) const;
};

// image/jpeg, image/png or image/gif by the type id, whatever the file's own extension.
class CImagePartHandler : public CFilePartHandler {
public:
    using CFilePartHandler::CFilePartHandler;

    std::string ContentTypeName() const override;
    std::string BuildPartHeader(std::string_view content,
                                std::string_view parameter) const override;

private:
    const char* Subtype() const;
};

// Breaks lines longer than the width at their last space; a line without a space stays whole.
std::string WrapText(std::string text, int width);

// The file name of a path split at its last dot: base name and extension (with the dot,
// empty when there is none).
struct FileNamePieces {
    std::string_view base;
    std::string_view extension;
};
FileNamePieces SplitFileName(std::string_view path);
