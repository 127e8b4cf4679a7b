#include "ui/qr_code.h"

#include "web/qr_modules.h"

#include <QPainter>

QImage QrCodeImage(const QString& text, int moduleSize) {
    if (text.isEmpty() || moduleSize < 1)
        return {};
    const QrModules code = EncodeQrCode(text.toUtf8().toStdString());
    if (code.width == 0)
        return {};
    const int quiet = QrModules::kQuietZone;
    const int side = (code.width + 2 * quiet) * moduleSize;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < code.width; ++y)
        for (int x = 0; x < code.width; ++x)
            if (code.Dark(x, y))
                painter.fillRect((x + quiet) * moduleSize, (y + quiet) * moduleSize, moduleSize,
                                 moduleSize, Qt::black);
    return image;
}
