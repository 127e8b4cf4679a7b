// A QR code of a short text (the server's address), for a phone's camera to read off the
// screen.
#pragma once

#include <QImage>
#include <QString>

// Black modules on white with the four-module quiet zone the standard asks for, each
// module `moduleSize` pixels wide. A null image for empty text or when encoding fails.
QImage QrCodeImage(const QString& text, int moduleSize = 4);
