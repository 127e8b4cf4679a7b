#include "phone/dot_edit_geometry.h"

DotEditGeometry ComputeDotEditGeometry(int w, int h, int zoom, int cw, int ch, int scrollX,
                                       int scrollY) {
    DotEditGeometry g;
    g.width = w;
    g.height = h;
    g.zoom = zoom;
    g.extentX = (w + 4) * zoom;
    g.extentY = (h + 4) * zoom;
    g.originX = g.extentX < cw ? (cw - w * zoom) / 2 : 2 * zoom - scrollX;
    g.originY = g.extentY < ch ? (ch - h * zoom) / 2 : 2 * zoom - scrollY;
    return g;
}

bool ScreenToPixel(const DotEditGeometry& g, int mx, int my, int* ix, int* iy) {
    if (g.zoom <= 0 || mx < g.originX || my < g.originY)
        return false;
    const int x = (mx - g.originX) / g.zoom, y = (my - g.originY) / g.zoom;
    if (x >= g.width || y >= g.height)
        return false;
    *ix = x;
    *iy = y;
    return true;
}

ImageRect FootprintRect(const DotEditGeometry& g, int ix, int iy, int r) {
    const int left = g.originX + (ix - r) * g.zoom, top = g.originY + (iy - r) * g.zoom;
    const int side = (2 * r + 1) * g.zoom;
    return {left, top, left + side, top + side};
}

ScrollBarNeed NeededScrollBars(const DotEditGeometry& g, int cw, int ch) {
    return {g.extentX > cw, g.extentY > ch};
}

void ChangeTool(ToolState* state, int tool) {
    if (tool == state->current)
        return;
    if (tool != state->previous)
        state->previous = state->current;
    state->current = tool;
}
