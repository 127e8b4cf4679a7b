#include "web/qr_modules.h"

#include <qrencode.h>

#include <memory>
#include <string>

QrModules EncodeQrCode(std::string_view text) {
    QrModules modules;
    if (text.empty())
        return modules;
    const std::string bytes(text); // zero-terminated for the encoder
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(bytes.c_str(), 0, QR_ECLEVEL_M), &QRcode_free);
    if (!code || code->width <= 0)
        return modules;
    modules.width = code->width;
    modules.dark.resize(size_t(code->width) * size_t(code->width));
    for (size_t i = 0; i < modules.dark.size(); ++i)
        modules.dark[i] = code->data[i] & 1;
    return modules;
}
