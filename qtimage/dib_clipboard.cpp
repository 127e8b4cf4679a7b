#include "qtimage/dib_clipboard.h"

#include "image/loaders.h"
#include "qtimage/dib_qimage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QtEndian>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

QClipboard* ClipboardOrDefault(QClipboard* clipboard) {
    if (clipboard)
        return clipboard;
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}

} // namespace

QByteArray DibToBmpFile(const PackedDib* dib) {
    if (!dib)
        return QByteArray();
    // The full table (or the masks), so that readers find the pixels behind it.
    const size_t tableBytes =
        dib->compression == kDibBitFields ? 12 : size_t(4) * DibColorCount(dib);
    const size_t ownTable = std::min(tableBytes, size_t(DibTableBytes(dib)));
    const size_t pixelBytes = DibPixelBytes(dib);
    const size_t offset = 14 + size_t(dib->headerSize) + tableBytes;
    const size_t total = offset + pixelBytes;
    if (total > size_t(INT32_MAX))
        return QByteArray();
    QByteArray file(qsizetype(total), '\0');
    auto* out = reinterpret_cast<uint8_t*>(file.data());
    out[0] = 'B';
    out[1] = 'M';
    qToLittleEndian(uint32_t(total), out + 2);
    qToLittleEndian(uint32_t(offset), out + 10);
    std::memcpy(out + 14, dib, dib->headerSize);
    std::memcpy(out + 14 + dib->headerSize, DibColorTable(dib), ownTable);
    std::memcpy(out + offset, DibBits(dib), pixelBytes);
    return file;
}

DibPtr DibFromClipboard(QClipboard* clipboard) {
    clipboard = ClipboardOrDefault(clipboard);
    const QMimeData* mime = clipboard ? clipboard->mimeData() : nullptr;
    if (!mime)
        return nullptr;
    if (mime->hasFormat(kBmpMimeType)) {
        const QByteArray bytes = mime->data(kBmpMimeType);
        if (DibPtr dib = LoadBmpMemory(bytes.constData(), size_t(bytes.size())))
            return dib;
    }
    if (mime->hasImage())
        return DibFromDeviceBitmap(qvariant_cast<QImage>(mime->imageData()));
    return nullptr;
}

int DibToClipboard(const PackedDib* dib, QClipboard* clipboard) {
    clipboard = ClipboardOrDefault(clipboard);
    if (!dib || !clipboard)
        return 0;
    const QByteArray file = DibToBmpFile(dib);
    const QImage image = DibToQImage(dib);
    if (file.isEmpty() || image.isNull())
        return 0;
    auto* mime = new QMimeData;
    mime->setData(kBmpMimeType, file);
    mime->setImageData(image);
    clipboard->setMimeData(mime);
    return 1;
}
