#include "desktop/settings_text_check.h"

#include <algorithm>
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

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The items of one value as Qt reads them: quotes group (a comma inside them is text, and
// the quote characters themselves give none), unquoted commas split a list, blanks before an
// item and after a closing quote are skipped, escapes give 16-bit characters. Each item's
// characters are handed to `item` once it ends; a character beyond ASCII stands as 0x80,
// which matches none of the markers.
template <typename Item> void ForEachItem(std::string_view value, Item item) {
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
    std::u16string chars;
    bool quoted = false;
    size_t i = 0;
    const size_t n = value.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(value[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        const char c = value[i++];
        if (c == '"') {
            quoted = !quoted;
            if (!quoted)
                skipBlanks();
        } else if (c == ',' && !quoted) {
            item(chars);
            chars.clear();
            skipBlanks();
        } else if (c != '\\') {
            chars.push_back(static_cast<unsigned char>(c) < 0x80 ? char16_t(c) : char16_t(0x80));
        } else if (i < n) {
            const char e = value[i++];
            bool simple = false;
            for (const auto& [name, meaning] : kSimple) {
                if (e == name) {
                    chars.push_back(char16_t(meaning));
                    simple = true;
                    break;
                }
            }
            if (simple)
                continue;
            if (e == 'x' && i < n && IsHexDigit(value[i])) {
                char16_t v = 0;
                while (i < n && IsHexDigit(value[i]))
                    v = char16_t((v << 4) + HexValue(value[i++]));
                chars.push_back(v);
            } else if (IsOctalDigit(e)) {
                char16_t v = char16_t(e - '0');
                while (i < n && IsOctalDigit(value[i]))
                    v = char16_t((v << 3) + (value[i++] - '0'));
                chars.push_back(v);
            } else if (e == '\n' || e == '\r') {
                if (i < n && (value[i] == '\n' || value[i] == '\r') && value[i] != e)
                    ++i;
            }
            // Anything else after a backslash is dropped with it.
        }
    }
    item(chars);
}

bool StartsWith(const std::u16string& chars, std::u16string_view prefix) {
    return chars.size() >= prefix.size() &&
           std::u16string_view(chars).substr(0, prefix.size()) == prefix;
}

// The value of every "key=value" line, split into lines as Qt's reader splits them: quotes
// run across line ends, a backslash takes the next character (or line end) with it, an
// unquoted ';' ends the line and makes the rest of it a comment, and section lines ("[...]")
// hold no value.
template <typename Value> void ForEachValue(std::string_view text, Value value) {
    const auto lineEnd = [](char c) { return c == '\n' || c == '\r'; };
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        while (pos < n && (IsBlank(text[pos]) || lineEnd(text[pos])))
            ++pos;
        const size_t start = pos;
        size_t equals = std::string_view::npos;
        bool quoted = false;
        for (; pos < n; ++pos) {
            const char c = text[pos];
            if (c == '\\') {
                // "\\\r\n" and "\\\n\r" continue the line as one.
                if (pos + 2 < n && lineEnd(text[pos + 1]) && lineEnd(text[pos + 2]) &&
                    text[pos + 1] != text[pos + 2])
                    ++pos;
                ++pos;
            } else if (c == '"') {
                quoted = !quoted;
            } else if (!quoted && (lineEnd(c) || c == ';')) {
                break;
            } else if (c == '=' && !quoted && equals == std::string_view::npos) {
                equals = pos;
            }
        }
        const size_t end = std::min(pos, n);
        if (end > start && text[start] != '[' && equals != std::string_view::npos)
            value(text.substr(equals + 1, end - equals - 1));
        if (pos < n && text[pos] == ';')
            while (pos < n && !lineEnd(text[pos]))
                ++pos;
    }
}

} // namespace

bool HoldsSerializedSettingsValue(std::string_view text) {
    bool found = false;
    ForEachValue(text, [&](std::string_view value) {
        ForEachItem(value, [&](const std::u16string& chars) {
            found = found || StartsWith(chars, u"@Variant(") || StartsWith(chars, u"@DateTime(");
        });
    });
    return found;
}
