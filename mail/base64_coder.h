// Byte coders for mail content. Only encoding is used on the way out; decoding inverts it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CByteCoder {
public:
    virtual ~CByteCoder() = default;
    // Appends the decoded bytes to the output and returns how many there were.
    virtual size_t Decode(std::string_view text, std::string& output) = 0;
    virtual std::string Encode(const void* bytes, size_t length) = 0;
};

// Standard base64 (RFC 2045) with "=" fill and no line breaks.
class CBase64Coder final : public CByteCoder {
public:
    // Characters outside the alphabet (line ends) are skipped; "=" ends the data.
    size_t Decode(std::string_view text, std::string& output) override;
    std::string Encode(const void* bytes, size_t length) override;

private:
    const unsigned char* input_ = nullptr;
    size_t length_ = 0;
    size_t position_ = 0;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
};
