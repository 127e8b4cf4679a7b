#include "ui/program_cursors.h"

#include <QPixmap>

const QCursor& ResizeCursor() {
    static const QCursor cursor(QPixmap(":/mokoa/cursors/resize.png"), 15, 15);
    return cursor;
}

const QCursor& DragCursor() {
    static const QCursor cursor(QPixmap(":/mokoa/cursors/drag.png"), 15, 15);
    return cursor;
}
