#include "image/codec_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

void CodecLog(const char* format, ...) {
    const char* setting = std::getenv("MOKOA_CODEC_LOG");
    if (!setting || !*setting || std::strcmp(setting, "0") == 0)
        return;
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}
