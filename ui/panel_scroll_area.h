// Holds a fixed-size panel: as large as the panel where there is room, scrolled up and
// down where the screen is too short for it, and then wider by the scroll bar so that
// nothing of the panel is hidden beside it.
#pragma once

#include <QScrollArea>

class CPanelScrollArea : public QScrollArea {
    Q_OBJECT
public:
    CPanelScrollArea(QWidget* panel, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int Width() const;
};
