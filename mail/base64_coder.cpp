#include "mail/base64_coder.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int AlphabetIndex(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string CBase64Coder::Encode(const void* bytes, size_t length) {
    input_ = static_cast<const unsigned char*>(bytes);
    length_ = bytes ? length : 0;
    position_ = 0;
    bits_ = 0;
    bitCount_ = 0;

    std::string out;
    out.reserve((length_ + 2) / 3 * 4);
    for (;;) {
        while (bitCount_ < 6 && position_ < length_) {
            bits_ = ((bits_ << 8) | input_[position_++]) & 0xFFFF;
            bitCount_ += 8;
        }
        if (bitCount_ >= 6) {
            bitCount_ -= 6;
            out += kAlphabet[(bits_ >> bitCount_) & 0x3F];
        } else if (bitCount_ > 0) {
            out += kAlphabet[(bits_ << (6 - bitCount_)) & 0x3F];
            bitCount_ = 0;
        } else {
            break;
        }
    }
    while (out.size() % 4 != 0)
        out += '=';
    input_ = nullptr;
    return out;
}

size_t CBase64Coder::Decode(std::string_view text, std::string& output) {
    const size_t before = output.size();
    uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=')
            break;
        const int value = AlphabetIndex(c);
        if (value < 0)
            continue;
        bits = ((bits << 6) | uint32_t(value)) & 0xFFFF;
        count += 6;
        if (count >= 8) {
            count -= 8;
            output += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return output.size() - before;
}
