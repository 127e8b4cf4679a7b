#include "ui/panel_scroll_area.h"

#include <QScrollBar>

#include <algorithm>

CPanelScrollArea::CPanelScrollArea(QWidget* panel, QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setWidget(panel);
    // The bar comes and goes with the room there is; the width follows it, both ways.
    setFixedWidth(Width());
    connect(verticalScrollBar(), &QScrollBar::rangeChanged, this,
            [this] { setFixedWidth(Width()); });
}

int CPanelScrollArea::Width() const {
    const QScrollBar* bar = verticalScrollBar();
    return widget()->width() + (bar->maximum() > 0 ? bar->sizeHint().width() : 0);
}

QSize CPanelScrollArea::sizeHint() const {
    return QSize(Width(), widget()->height());
}

QSize CPanelScrollArea::minimumSizeHint() const {
    // Short enough for any screen; the panel's top (the profile and format lists) shows.
    return QSize(Width(), std::min(widget()->height(), 120));
}
