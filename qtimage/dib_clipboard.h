// Packed bitmaps on the clipboard. A copy offers the picture twice: as a BMP file (the
// packed bitmap behind a 14-byte file header, MIME type image/bmp) and as an ordinary image
// for programs that do not read BMP.
#pragma once

#include "image/dib.h"

#include <QByteArray>

class QClipboard;

inline constexpr char kBmpMimeType[] = "image/bmp";

// The picture as the bytes of a BMP file; empty for none.
QByteArray DibToBmpFile(const PackedDib* dib);

// New image from the clipboard (the application's clipboard when none is given): the BMP
// data when it is there and readable, else the ordinary image. Palette pictures come out at
// 24 bits. None when the clipboard holds no picture.
[[nodiscard]] DibPtr DibFromClipboard(QClipboard* clipboard = nullptr);

// Puts a copy of the picture on the clipboard; 1 when it took it, else 0. The picture stays
// the caller's.
int DibToClipboard(const PackedDib* dib, QClipboard* clipboard = nullptr);
