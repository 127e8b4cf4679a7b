#include "ui/program_cursors.h"

#include <QGuiApplication>
#include <QPixmap>

QCursor ProgramCursor(const QString& name, int hotX, int hotY) {
    const QString base = QStringLiteral(":/mokoa/cursors/") + name;
    if (qApp && qApp->devicePixelRatio() > 1) {
        QPixmap pixmap(base + QStringLiteral("@2x.png"));
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2);
            // Qt's X11 back end hands the hot spot to the server unscaled, in the picture's own
            // pixels; the others take it in device-independent pixels, as documented.
            const int spot = QGuiApplication::platformName() == QLatin1String("xcb") ? 2 : 1;
            return QCursor(pixmap, hotX * spot, hotY * spot);
        }
    }
    return QCursor(QPixmap(base + QStringLiteral(".png")), hotX, hotY);
}

const QCursor& ResizeCursor() {
    static const QCursor cursor = ProgramCursor(QStringLiteral("resize"), 15, 15);
    return cursor;
}

const QCursor& DragCursor() {
    static const QCursor cursor = ProgramCursor(QStringLiteral("drag"), 15, 15);
    return cursor;
}
