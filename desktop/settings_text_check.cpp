#include "desktop/settings_text_check.h"

#include <array>
#include <string>

namespace {

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

bool IsOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The characters Qt's unescaping makes of the whole text, with everything that yields no
// character dropped: quotes (and the blanks after them, which Qt skips after a closing
// one), line continuations, unknown escapes, "\x" without digits. Escapes give 16-bit
// characters as Qt's do; a character beyond ASCII stands as 0x80, which matches none of
// the markers. Every value Qt reads then appears in this text without gaps.
std::u16string UnescapedChars(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const char c = text[i++];
        if (c == '"') {
            while (i < n && (text[i] == ' ' || text[i] == '\t'))
                ++i;
            continue;
        }
        if (c != '\\') {
            out.push_back(static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : char16_t(0x80));
            continue;
        }
        if (i >= n)
            break;
        const char e = text[i++];
        static constexpr std::array<std::pair<char, char>, 11> kSimple = {{{'a', '\a'},
                                                                           {'b', '\b'},
                                                                           {'f', '\f'},
                                                                           {'n', '\n'},
                                                                           {'r', '\r'},
                                                                           {'t', '\t'},
                                                                           {'v', '\v'},
                                                                           {'"', '"'},
                                                                           {'?', '?'},
                                                                           {'\'', '\''},
                                                                           {'\\', '\\'}}};
        bool simple = false;
        for (const auto& [name, value] : kSimple) {
            if (e == name) {
                out.push_back(char16_t(value));
                simple = true;
                break;
            }
        }
        if (simple)
            continue;
        if (e == 'x' && i < n && IsHexDigit(text[i])) {
            char16_t value = 0;
            while (i < n && IsHexDigit(text[i]))
                value = char16_t((value << 4) + HexValue(text[i++]));
            out.push_back(value);
        } else if (IsOctalDigit(e)) {
            char16_t value = char16_t(e - '0');
            while (i < n && IsOctalDigit(text[i]))
                value = char16_t((value << 3) + (text[i++] - '0'));
            out.push_back(value);
        } else if (e == '\n' || e == '\r') {
            if (i < n && (text[i] == '\n' || text[i] == '\r') && text[i] != e)
                ++i;
        }
        // Anything else after a backslash is dropped with it.
    }
    return out;
}

// A value, or an item of a list, starts after the '=' or an unquoted ',' and the blanks
// Qt skips there.
bool StartsAnItem(const std::u16string& chars, size_t at) {
    while (at > 0 && (chars[at - 1] == u' ' || chars[at - 1] == u'\t'))
        --at;
    return at > 0 && (chars[at - 1] == u'=' || chars[at - 1] == u',');
}

} // namespace

bool HoldsSerializedSettingsValue(std::string_view text) {
    const std::u16string chars = UnescapedChars(text);
    for (const std::u16string_view marker : {u"@Variant(", u"@DateTime("}) {
        for (size_t at = chars.find(marker); at != std::u16string::npos;
             at = chars.find(marker, at + 1)) {
            if (StartsAnItem(chars, at))
                return true;
        }
    }
    return false;
}
