#include "phone/size_check.h"

#include <cstdio>

SizeCheckResult CheckOutputSize(bool png, int64_t size) {
    SizeCheckResult result{size, size > 0, false, {}};
    char text[512];
    const long long bytes = size;
    if (size <= 0) {
        result.message = "なんらかの問題でファイルの保存が出来ません。";
        return result;
    }
    if (png && size > kEZwebLimit) {
        std::snprintf(text, sizeof text,
                      "[PNG %lld バイト]\nJ-Sky : NG !!\neZweb : NG !!\n"
                      "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                      "eZweb用のPNGファイルは 7 KB 以内にしてください。\n"
                      "（色数を減らしたり、画像のサイズを小さくしたりしてください）",
                      bytes);
    } else if (png && size > kJSkyLimit) {
        std::snprintf(text, sizeof text,
                      "[PNG %lld バイト]\neZweb : OK !!\nJ-Sky : NG !!\n"
                      "J-Sky用のPNGファイルは 6 KB 以内にしてください。\n"
                      "（色数を減らしたり、画像のサイズを小さくしたりしてください）",
                      bytes);
    } else if (!png && size > kJSkyLimit) {
        std::snprintf(text, sizeof text,
                      "[JPEG %lld バイト]\nJ-Sky : NG !!\n"
                      "J-Sky用のJPEGファイルは 6 KB 以内にしてください。\n"
                      "（色数を減らしたり、画像のサイズを小さくしたりしてください）",
                      bytes);
    } else {
        std::snprintf(text, sizeof text, "%s %lld バイト OK !", png ? "PNG" : "JPEG", bytes);
        result.withinLimits = true;
    }
    result.message = text;
    return result;
}
