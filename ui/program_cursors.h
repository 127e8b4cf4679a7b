// The program's own cursors, made once and kept for the whole run.
#pragma once

#include <QCursor>

// Over the selection's corner handle.
const QCursor& ResizeCursor();
// While the selection is moved by its handle.
const QCursor& DragCursor();
