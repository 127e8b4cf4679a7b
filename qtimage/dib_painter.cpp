#include "qtimage/dib_painter.h"

#include "qtimage/dib_qimage.h"

#include <QPainter>

int DibStretchDraw(const PackedDib* dib, QPainter* painter, int sx, int sy, int sw, int sh, int dx,
                   int dy, int dw, int dh) {
    if (!dib || !painter)
        return 0;
    if (sw == -1)
        sw = DibWidth(dib);
    if (sh == -1)
        sh = DibHeight(dib);
    if (sw <= 0 || sh <= 0 || dw == 0 || dh == 0)
        return 1;
    const QRect source(sx, sy, sw, sh);
    const QRect cut = source.intersected(QRect(0, 0, DibWidth(dib), DibHeight(dib)));
    const QImage image = DibToQImage(dib, cut);
    if (image.isNull())
        return 1;
    // The part of the destination that the picture's own pixels cover.
    const double scaleX = double(std::abs(dw)) / sw;
    const double scaleY = double(std::abs(dh)) / sh;
    const QRectF target((cut.x() - sx) * scaleX, (cut.y() - sy) * scaleY, cut.width() * scaleX,
                        cut.height() * scaleY);
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter->translate(dx, dy);
    painter->scale(dw < 0 ? -1 : 1, dh < 0 ? -1 : 1);
    painter->drawImage(target, image);
    painter->restore();
    return 1;
}

int DibDraw(const PackedDib* dib, QPainter* painter, int dx, int dy, int width, int height, int sx,
            int sy) {
    if (!dib || !painter)
        return 0;
    if (width == -1)
        width = DibWidth(dib);
    if (height == -1)
        height = DibHeight(dib);
    const QRect source(sx, sy, width, height);
    const QRect cut = source.intersected(QRect(0, 0, DibWidth(dib), DibHeight(dib)));
    const QImage image = DibToQImage(dib, cut);
    if (!image.isNull())
        painter->drawImage(QPoint(dx + cut.x() - sx, dy + cut.y() - sy), image);
    return 1;
}
