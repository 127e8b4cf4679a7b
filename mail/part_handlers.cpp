#include "mail/part_handlers.h"

#include "mail/base64_coder.h"
#include "mail/wire_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kChunkBytes = 54; // one 72-character base64 line

bool IsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Opens a regular file for reading; none for folders, devices and missing files. The open
// does not wait for a writer when the path names a pipe.
std::FILE* OpenRegularFile(std::string_view path) {
    const int fd = open(std::string(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, "rb");
    if (!file)
        close(fd);
    return file;
}

} // namespace

FileNamePieces SplitFileName(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot)};
}

std::string WrapText(std::string text, int width) {
    constexpr size_t none = std::string::npos;
    size_t split = none;
    int counter = 0;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ')
            split = i;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            counter = 0;
        if (counter <= width) {
            ++counter;
            ++i;
            continue;
        }
        if (split != none) {
            const size_t crlf = i >= 2 ? text.rfind("\r\n", i - 2) : none;
            const size_t lineStart = crlf == none ? 0 : crlf + 2;
            if (split >= lineStart) {
                size_t leftEnd = split;
                while (leftEnd > 0 && IsWhite(text[leftEnd - 1]))
                    --leftEnd;
                size_t rightStart = split;
                while (rightStart < text.size() && IsWhite(text[rightStart]))
                    ++rightStart;
                text.replace(leftEnd, rightStart - leftEnd, "\r\n");
                // The space is gone; an old index would point into a word of the new text.
                split = none;
            }
        }
        counter = 0;
        ++i;
    }
    return text;
}

bool CTextPartHandler::AppendPart(std::string_view content, std::string_view parameter,
                                  std::string& body) const {
    body += BuildPartHeader(content, parameter);
    body += WrapText(ToWireText(content), width_);
    return true;
}

std::string CTextPartHandler::ContentTypeName() const {
    return "text/plain";
}

std::string CTextPartHandler::BuildPartHeader(std::string_view, std::string_view parameter) const {
    std::string h = "Content-Type: " + ContentTypeName();
    h += parameter;
    h += "\r\nContent-Transfer-Encoding: 7Bit\r\n\r\n";
    return h;
}

bool CFilePartHandler::AppendPart(std::string_view content, std::string_view parameter,
                                  std::string& body) const {
    if (content.empty())
        return false;
    std::FILE* file = OpenRegularFile(content);
    if (!file)
        return false;
    body += BuildPartHeader(content, parameter);
    EncodeFile(file, body);
    std::fclose(file);
    return true;
}

std::string CFilePartHandler::ContentTypeName() const {
    return "application/octet-stream";
}

std::string CFilePartHandler::BuildPartHeader(std::string_view content, std::string_view) const {
    const FileNamePieces pieces = SplitFileName(content);
    const std::string name = ToWireName(std::string(pieces.base) + std::string(pieces.extension));
    return "Content-Type: " + ContentTypeName() + "; file=" + name +
           "\r\nContent-Transfer-Encoding: base64\r\n"
           "Content-Disposition: attachment; filename=" +
           name + "\r\n\r\n";
}

void CFilePartHandler::EncodeFile(std::FILE* file, std::string& body) const {
    struct stat st {};
    if (fstat(fileno(file), &st) == 0 && st.st_size > 0) {
        const size_t lines = size_t(st.st_size) / kChunkBytes + 2;
        body.reserve(body.size() + lines * 74 + 2);
    }
    CBase64Coder coder;
    unsigned char chunk[kChunkBytes];
    for (;;) {
        const size_t n = std::fread(chunk, 1, kChunkBytes, file);
        body += coder.Encode(chunk, n);
        body += "\r\n";
        if (n != kChunkBytes)
            break;
    }
    body += "\r\n";
}

const char* CImagePartHandler::Subtype() const {
    switch (Type()) {
    case PART_PNG:
        return "png";
    case PART_GIF:
        return "gif";
    default:
        return "jpeg";
    }
}

std::string CImagePartHandler::ContentTypeName() const {
    return std::string("image/") + Subtype();
}

std::string CImagePartHandler::BuildPartHeader(std::string_view content, std::string_view) const {
    std::string name = ToWireName(std::string(SplitFileName(content).base) + "." + Subtype());
    // A quote would end the quoted value early; it never occurs inside a CP932 character.
    for (char& c : name) {
        if (c == '"')
            c = '?';
    }
    return "Content-Type: " + ContentTypeName() + ";name=\"" + name +
           "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
}
