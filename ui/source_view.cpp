#include "ui/source_view.h"

#include "ui/command_ids.h"

#include <QPainter>

CSourceView::CSourceView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

CSourceView::~CSourceView() = default;

bool CSourceView::HandleCommand(int id) {
    if (id != cmd::kAspectLock)
        return false;
    aspectLock_ = !aspectLock_;
    emit stateChanged();
    return true;
}

bool CSourceView::UpdateCommand(int id, const FrameState&, CommandUi* ui) {
    if (id != cmd::kAspectLock)
        return false;
    ui->enabled = true;
    ui->checked = aspectLock_;
    return true;
}

void CSourceView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
}
