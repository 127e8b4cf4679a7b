// The program's own cursors, made once and kept for the whole run.
#pragma once

#include <QCursor>
#include <QString>

// Over the selection's corner handle.
const QCursor& ResizeCursor();
// While the selection is moved by its handle.
const QCursor& DragCursor();

// The cursor drawn in :/mokoa/cursors/<name>.png, or in <name>@2x.png when a screen has more
// than one device pixel per pixel, so that it is neither tiny nor blurred there. The hot spot
// is given in the 1x picture's pixels.
QCursor ProgramCursor(const QString& name, int hotX, int hotY);
