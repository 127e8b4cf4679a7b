#include "mail/wire_text.h"

#include "mail/base64_coder.h"

#include <cerrno>
#include <iconv.h>

namespace {

// Bytes of the malformed or unconvertible UTF-8 sequence at the front of the input: the
// lead byte and the continuation bytes it announces, as far as they are there.
size_t BadSequenceLength(std::string_view in) {
    const auto lead = static_cast<unsigned char>(in[0]);
    size_t want = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    size_t n = 1;
    while (n < want && n < in.size() && (static_cast<unsigned char>(in[n]) & 0xC0) == 0x80)
        ++n;
    return n;
}

class Converter {
public:
    explicit Converter(const char* to) : cd_(iconv_open(to, "UTF-8")) {}
    ~Converter() {
        if (ok())
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts the whole input, putting "?" (converted as well, so a stateful encoding
    // stays consistent) where a character cannot be converted.
    std::string Convert(std::string_view in) {
        std::string out;
        out.resize(in.size() * 2 + 16);
        size_t used = 0;
        while (!in.empty()) {
            if (!Step(in, out, used)) {
                std::string_view question("?");
                while (!question.empty() && Step(question, out, used)) {
                }
                in.remove_prefix(BadSequenceLength(in));
            }
        }
        // Return to the initial shift state (ISO-2022-JP ends in ASCII).
        for (;;) {
            char* dst = out.data() + used;
            size_t room = out.size() - used;
            if (iconv(cd_, nullptr, nullptr, &dst, &room) != static_cast<size_t>(-1)) {
                used = out.size() - room;
                break;
            }
            if (errno != E2BIG)
                break;
            out.resize(out.size() * 2);
        }
        out.resize(used);
        return out;
    }

private:
    // One iconv call; false when the front of the input cannot be converted.
    bool Step(std::string_view& in, std::string& out, size_t& used) {
        char* src = const_cast<char*>(in.data());
        size_t left = in.size();
        char* dst = out.data() + used;
        size_t room = out.size() - used;
        const size_t rc = iconv(cd_, &src, &left, &dst, &room);
        const int err = errno;
        used = out.size() - room;
        in.remove_prefix(in.size() - left);
        if (rc != static_cast<size_t>(-1))
            return true;
        if (err == E2BIG) {
            out.resize(out.size() * 2 + 16);
            return true;
        }
        return false;
    }

    iconv_t cd_;
};

// Without a converter only ASCII can be trusted.
std::string AsciiOnly(std::string_view in) {
    std::string out;
    while (!in.empty()) {
        if (static_cast<unsigned char>(in[0]) < 0x80) {
            out += in[0];
            in.remove_prefix(1);
        } else {
            out += '?';
            in.remove_prefix(BadSequenceLength(in));
        }
    }
    return out;
}

std::string ToCp932(std::string_view utf8) {
    Converter cp932("CP932");
    return cp932.ok() ? cp932.Convert(utf8) : AsciiOnly(utf8);
}

} // namespace

std::string ToWireText(std::string_view utf8) {
    std::string crlf;
    crlf.reserve(utf8.size() + utf8.size() / 32);
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '\r' || c == '\n') {
            crlf += "\r\n";
            if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n')
                ++i;
        } else {
            crlf += c;
        }
    }
    return ToCp932(crlf);
}

std::string ToWireName(std::string_view utf8) {
    std::string name = ToCp932(utf8);
    // Control bytes never occur inside a CP932 double-byte character.
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            c = '?';
    }
    return name;
}

std::string EncodedWordIso2022Jp(std::string_view utf8) {
    Converter jis("ISO-2022-JP");
    if (!jis.ok())
        return {};
    const std::string bytes = jis.Convert(utf8);
    CBase64Coder coder;
    return "=?iso-2022-jp?B?" + coder.Encode(bytes.data(), bytes.size()) + "?=";
}

std::string ImageMailSubject() {
    return EncodedWordIso2022Jp("モコア　画像添付メール");
}
