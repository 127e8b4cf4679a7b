// Debug output for codec messages. Off unless MOKOA_CODEC_LOG is set to a non-empty value
// other than "0"; the messages never reach the user.
#pragma once

void CodecLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
