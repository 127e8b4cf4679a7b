// Program text is UTF-8; mail leaves the program as CP932 (Shift-JIS) bytes, the one
// code page the phones of the period read.
#pragma once

#include <string>
#include <string_view>

// A message text for the wire: CP932 bytes with CR LF line ends (a lone LF or CR becomes
// CR LF). Characters CP932 cannot hold, and bytes that are not UTF-8, become "?".
std::string ToWireText(std::string_view utf8);

// A name written inside a header line (display name, file name): CP932 bytes as above, and
// every control character becomes "?" so that a name can never end the line.
std::string ToWireName(std::string_view utf8);

// The RFC 2047 encoded word of UTF-8 text in ISO-2022-JP ("=?iso-2022-jp?B?...?=");
// unconvertible characters become "?", and the result is empty only when the system lacks
// the converter.
std::string EncodedWordIso2022Jp(std::string_view utf8);

// The fixed subject of the image mail, "モコア　画像添付メール" as an encoded word.
std::string ImageMailSubject();
