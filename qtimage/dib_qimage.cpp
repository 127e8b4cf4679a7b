#include "qtimage/dib_qimage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Copies a rectangle (top-left origin) of a 24-bit or plain 32-bit picture.
void CopyRowsToRgb32(const PackedDib* dib, const QRect& area, QImage& out) {
    const int bytesPerPixel = DibBitCount(dib) / 8;
    const int height = DibHeight(dib);
    for (int y = 0; y < area.height(); ++y) {
        const uint8_t* in = DibPixelAddress(dib, area.left(), height - 1 - (area.top() + y));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < area.width(); ++x, in += bytesPerPixel)
            line[x] = qRgb(in[2], in[1], in[0]);
    }
}

} // namespace

DibPtr DibFromDeviceBitmap(const QImage& bitmap) {
    if (bitmap.isNull())
        return nullptr;
    QImage image = bitmap;
    int bits = 32;
    switch (image.format()) {
    case QImage::Format_MonoLSB:
        image = image.convertToFormat(QImage::Format_Mono);
        bits = 1;
        break;
    case QImage::Format_Mono:
        bits = 1;
        break;
    case QImage::Format_Indexed8:
    case QImage::Format_Grayscale8:
        bits = 8;
        break;
    case QImage::Format_RGB16:
    case QImage::Format_RGB555:
        bits = 16;
        break;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888:
        bits = 24;
        break;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        break;
    default:
        image = image.convertToFormat(QImage::Format_RGB32);
        break;
    }
    DibPtr dib(DibCreate(bits, image.width(), image.height()));
    if (!dib)
        return nullptr;

    if (image.format() == QImage::Format_Grayscale8) {
        QList<QRgb> ramp;
        for (int i = 0; i < 256; ++i)
            ramp.append(qRgb(i, i, i));
        DibSetColorTable(dib.get(), ramp);
    } else if (bits <= 8) {
        // A bitmap without a table is no palette at all; keep the table black then.
        QList<QRgb> table = image.colorTable();
        if (table.isEmpty())
            table.fill(qRgb(0, 0, 0), 1 << bits);
        DibSetColorTable(dib.get(), table);
    }
    if (image.format() == QImage::Format_RGB16) {
        const uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
        dib->compression = kDibBitFields;
        std::memcpy(DibColorTable(dib.get()), masks, sizeof masks);
    }

    const int height = image.height();
    // Only the pixels: the bitmap's row padding is uninitialised memory, and ours stays zero.
    const size_t pixelBytes = (size_t(bits) * size_t(image.width()) + 7) / 8;
    const size_t rowBytes = std::min<size_t>(pixelBytes, size_t(image.bytesPerLine()));
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(y);
        uint8_t* out = DibPixelAddress(dib.get(), 0, height - 1 - y);
        if (image.format() == QImage::Format_RGB888) {
            for (int x = 0; x < image.width(); ++x, in += 3, out += 3) {
                out[0] = in[2];
                out[1] = in[1];
                out[2] = in[0];
            }
        } else {
            std::memcpy(out, in, rowBytes);
        }
    }
    return dib;
}

QImage DibToQImage(const PackedDib* dib) {
    return dib ? DibToQImage(dib, QRect(0, 0, DibWidth(dib), DibHeight(dib))) : QImage();
}

QImage DibToQImage(const PackedDib* dib, const QRect& area) {
    if (!dib)
        return QImage();
    const QRect cut = area.intersected(QRect(0, 0, DibWidth(dib), DibHeight(dib)));
    if (cut.isEmpty())
        return QImage();
    QImage out(cut.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const bool direct = DibBitCount(dib) == 24 || (DibBitCount(dib) == 32 && dib->compression == 0);
    if (direct) {
        CopyRowsToRgb32(dib, cut, out);
    } else {
        DibPtr wide(DibConvertDepth(dib, 24));
        if (!wide)
            return QImage();
        CopyRowsToRgb32(wide.get(), cut, out);
    }
    return out;
}

QImage DibToScaledQImage(const PackedDib* dib, const QSize& size) {
    if (!dib || size.isEmpty() || DibWidth(dib) <= 0 || DibHeight(dib) <= 0)
        return QImage();
    QImage out(size, QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const int64_t width = DibWidth(dib), height = DibHeight(dib);
    const int64_t outWidth = size.width(), outHeight = size.height();
    // Byte offsets of the source pixels the target columns take.
    std::vector<size_t> columns(static_cast<size_t>(outWidth));
    for (int64_t x = 0; x < outWidth; ++x)
        columns[size_t(x)] = 3 * size_t((2 * x + 1) * width / (2 * outWidth));
    // Other depths than 24 bits are widened one row at a time, only the rows shown.
    const bool direct = DibBitCount(dib) == 24;
    std::vector<uint8_t> wide(direct ? 0 : size_t(width) * 3);
    for (int64_t y = 0; y < outHeight; ++y) {
        const int row = int(height - 1 - (2 * y + 1) * height / (2 * outHeight));
        const uint8_t* in = direct ? DibPixelAddress(dib, 0, row) : wide.data();
        if (!direct)
            DibWidenRow(dib, row, wide.data());
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(int(y)));
        for (int64_t x = 0; x < outWidth; ++x) {
            const uint8_t* p = in + columns[size_t(x)];
            line[x] = qRgb(p[2], p[1], p[0]);
        }
    }
    return out;
}

int DibSetColorTable(PackedDib* dib, const QList<QRgb>& palette) {
    if (palette.isEmpty())
        return DibSetColorTable(dib, nullptr, 0);
    return DibSetColorTable(dib, palette.constData(), size_t(palette.size()));
}
