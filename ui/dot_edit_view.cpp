#include "ui/dot_edit_view.h"

#include "image/dot_painting.h"
#include "phone/editable_phone_image.h"
#include "qtimage/dib_painter.h"
#include "ui/command_ids.h"
#include "ui/program_cursors.h"

#include <QApplication>

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

Q_LOGGING_CATEGORY(lcDotEditFill, "mokoa.dotedit.fill", QtInfoMsg)

namespace {

enum class ToolCursor { kPen, kEyedropper, kFill, kHandOpen, kHandClosed };

const QCursor& CursorFor(ToolCursor which) {
    static const QCursor cursors[] = {
        ProgramCursor(QStringLiteral("pen"), 1, 1),
        ProgramCursor(QStringLiteral("eyedropper"), 1, 1),
        ProgramCursor(QStringLiteral("fill"), 2, 17),
        ProgramCursor(QStringLiteral("hand_open"), 12, 14),
        ProgramCursor(QStringLiteral("hand_closed"), 12, 14),
    };
    return cursors[int(which)];
}

QRect ToQRect(const ImageRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

QColor ToQColor(ColorWord c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// What a tool, pen-size, zoom or tolerance command sets, and to which value.
enum class SettingKind { kNone, kTool, kPenSize, kZoom, kTolerance };
struct EditorSetting {
    SettingKind kind = SettingKind::kNone;
    int value = 0;
};

EditorSetting SettingOf(int id) {
    using namespace cmd;
    static constexpr int kTolerances[] = {0, 5, 20, 50};
    if (id == kPen || id == kFill || id == kHand || id == kEyedropper)
        return {SettingKind::kTool, id};
    if (id >= kPenSize1 && id <= kPenSize5)
        return {SettingKind::kPenSize, id - kPenSize1};
    if (id >= kZoom3 && id <= kZoom9)
        return {SettingKind::kZoom, 3 * (id - (kZoom3 - 1))};
    if (id >= kTolerance0 && id <= kTolerance50)
        return {SettingKind::kTolerance, kTolerances[id - kTolerance0]};
    return {};
}

// The next of the zooms 3, 6 and 9 up or down, or `zoom` itself at either end.
int SteppedZoom(int zoom, bool up) {
    return std::clamp(zoom + (up ? 3 : -3), 3, 9);
}

void TraceFill(void*, int distance) {
    qCDebug(lcDotEditFill, "rgn=%d", distance);
}

} // namespace

CDotEditView::CDotEditView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    // Painting covers the whole client area.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    tools_.current = cmd::kPen;
    UpdateCursor();
    UpdateScrollBars();
}

void CDotEditView::SetPhoneImage(EditablePhoneImage* image) {
    image_ = image;
    WorkingCopyChanged();
}

PackedDib* CDotEditView::WorkingCopy() const {
    return image_ ? image_->WorkingCopy() : nullptr;
}

DotEditGeometry CDotEditView::Geometry() const {
    const PackedDib* image = WorkingCopy();
    return ComputeDotEditGeometry(image ? image->width : 0, image ? image->height : 0, zoom_,
                                  viewport()->width(), viewport()->height(),
                                  horizontalScrollBar()->value(), verticalScrollBar()->value());
}

void CDotEditView::WorkingCopyChanged() {
    previewShown_ = false;
    UpdateScrollBars();
    viewport()->update();
}

void CDotEditView::UpdateScrollBars() {
    const PackedDib* image = WorkingCopy();
    const int cw = viewport()->width(), ch = viewport()->height();
    const DotEditGeometry g = Geometry();
    const ScrollBarNeed need = image ? NeededScrollBars(g, cw, ch) : ScrollBarNeed{};
    // A bar spans the extent with the client area as its page; Qt keeps the positions
    // inside the new range.
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, need.horizontal ? g.extentX - cw : 0);
    h->setPageStep(cw);
    h->setSingleStep(zoom_);
    v->setRange(0, need.vertical ? g.extentY - ch : 0);
    v->setPageStep(ch);
    v->setSingleStep(zoom_);
}

void CDotEditView::SelectTool(int tool) {
    ChangeTool(&tools_, tool);
    UpdateCursor();
}

void CDotEditView::SetZoom(int zoom) {
    zoom_ = zoom;
    previewShown_ = false;
    UpdateScrollBars();
    viewport()->update();
}

void CDotEditView::UpdateCursor() {
    ToolCursor which = ToolCursor::kPen;
    switch (tools_.current) {
    case cmd::kEyedropper:
        which = ToolCursor::kEyedropper;
        break;
    case cmd::kFill:
        which = ToolCursor::kFill;
        break;
    case cmd::kHand:
        which = buttonDown_ ? ToolCursor::kHandClosed : ToolCursor::kHandOpen;
        break;
    default:
        break;
    }
    viewport()->setCursor(CursorFor(which));
}

bool CDotEditView::HandleCommand(int id) {
    const EditorSetting setting = SettingOf(id);
    switch (setting.kind) {
    case SettingKind::kTool:
        SelectTool(setting.value);
        return true;
    case SettingKind::kPenSize:
        penSize_ = setting.value;
        return true;
    case SettingKind::kZoom:
        SetZoom(setting.value);
        return true;
    case SettingKind::kTolerance:
        tolerance_ = setting.value;
        return true;
    case SettingKind::kNone:
        break;
    }
    if (id == cmd::kZoomIn || id == cmd::kZoomOut) {
        if (const int zoom = SteppedZoom(zoom_, id == cmd::kZoomIn); zoom != zoom_)
            SetZoom(zoom);
        return true;
    }
    if (id != cmd::kUndo)
        return false;
    if (image_ && image_->UndoBaseImage()) {
        WorkingCopyChanged();
        emit stateChanged();
    }
    return true;
}

bool CDotEditView::UpdateCommand(int id, const FrameState& state, CommandUi* ui) {
    const EditorSetting setting = SettingOf(id);
    const int current[] = {0, tools_.current, penSize_, zoom_, tolerance_};
    if (setting.kind != SettingKind::kNone) {
        *ui = {true, current[int(setting.kind)] == setting.value};
        return true;
    }
    if (id == cmd::kZoomIn || id == cmd::kZoomOut) {
        *ui = {state.mode == cmd::kDotEdit && SteppedZoom(zoom_, id == cmd::kZoomIn) != zoom_,
               false};
        return true;
    }
    if (id != cmd::kUndo)
        return false;
    *ui = {image_ && image_->UndoAvailable(), false};
    return true;
}

void CDotEditView::paintEvent(QPaintEvent*) {
    const PackedDib* image = WorkingCopy();
    if (!image)
        return;
    QPainter p(viewport());
    const DotEditGeometry g = Geometry();
    const QRect picture = ToQRect(g.PictureRect());
    const int cw = viewport()->width(), ch = viewport()->height();
    p.fillRect(QRect(0, 0, picture.left(), ch), Qt::black);
    p.fillRect(QRect(picture.right() + 1, 0, cw - picture.right() - 1, ch), Qt::black);
    p.fillRect(QRect(0, 0, cw, picture.top()), Qt::black);
    p.fillRect(QRect(0, picture.bottom() + 1, cw, ch - picture.bottom() - 1), Qt::black);
    // Nearest neighbour: each picture pixel becomes a solid z x z square.
    DibStretchDraw(image, &p, 0, 0, g.width, g.height, g.originX, g.originY, g.width * g.zoom,
                   g.height * g.zoom);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(picture.topLeft(), picture.topRight());
    p.drawLine(picture.topLeft(), picture.bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(picture.bottomLeft(), picture.bottomRight());
    p.drawLine(picture.topRight(), picture.bottomRight());

    if (previewShown_) {
        const QRect r = ToQRect(preview_);
        p.fillRect(r, ToQColor(penColor_));
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void CDotEditView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    viewport()->update();
}

void CDotEditView::scrollContentsBy(int, int) {
    previewShown_ = false;
    viewport()->update();
}

void CDotEditView::wheelEvent(QWheelEvent* event) {
    // One notch is three line steps: down when the wheel turns toward the user.
    const int delta = event->angleDelta().y();
    const int notches = std::max(1, std::abs(delta) / 120);
    const auto action =
        delta <= 0 ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub;
    for (int i = 0; i < 3 * notches; ++i)
        verticalScrollBar()->triggerAction(action);
    event->accept();
}

void CDotEditView::Track(const QPoint& point, bool held) {
    if (previewShown_) {
        previewShown_ = false;
        viewport()->update(ToQRect(preview_));
    }
    lastTracked_ = point;
    hasTracked_ = true;
    PackedDib* image = WorkingCopy();
    if (!image)
        return;
    const DotEditGeometry g = Geometry();
    int ix = 0, iy = 0;
    if (!ScreenToPixel(g, point.x(), point.y(), &ix, &iy))
        return;
    switch (tools_.current) {
    case cmd::kPen:
        if (held) {
            // Only the reported positions are painted; nothing is drawn in between.
            StampPen(image, ix, iy, penSize_, penColor_);
            viewport()->update(ToQRect(FootprintRect(g, ix, iy, penSize_)));
        } else {
            preview_ = FootprintRect(g, ix, iy, penSize_);
            previewShown_ = true;
            viewport()->update(ToQRect(preview_));
        }
        break;
    case cmd::kEyedropper: {
        const uint8_t* p = DibPixelAddress(image, ix, image->height - 1 - iy);
        emit colorPicked(MakeColorWord(p[2], p[1], p[0]));
        break;
    }
    case cmd::kHand:
        if (held) {
            horizontalScrollBar()->setValue(pressPoint_.x() - point.x() + pressScrollX_);
            verticalScrollBar()->setValue(pressPoint_.y() - point.y() + pressScrollY_);
            viewport()->update();
        }
        break;
    default:
        break;
    }
}

void CDotEditView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    buttonDown_ = true;
    if (tools_.current == cmd::kHand) {
        pressScrollX_ = horizontalScrollBar()->value();
        pressScrollY_ = verticalScrollBar()->value();
        UpdateCursor();
    }
    pressPoint_ = event->position().toPoint();
    Track(pressPoint_, true);
}

void CDotEditView::mouseMoveEvent(QMouseEvent* event) {
    setFocus();
    Track(event->position().toPoint(), buttonDown_);
}

void CDotEditView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !buttonDown_)
        return;
    buttonDown_ = false;
    UpdateCursor();
    PackedDib* image = WorkingCopy();
    if (!image)
        return;
    switch (tools_.current) {
    case cmd::kPen:
        Commit();
        break;
    case cmd::kFill: {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        int ix = -1, iy = -1;
        const QPoint point = event->position().toPoint();
        ScreenToPixel(Geometry(), point.x(), point.y(), &ix, &iy);
        const bool trace = lcDotEditFill().isDebugEnabled();
        FillRegion(image, ix, iy, penColor_, tolerance_, trace ? TraceFill : nullptr);
        viewport()->update();
        Commit();
        QApplication::restoreOverrideCursor();
        break;
    }
    case cmd::kEyedropper:
        if (tools_.previous != 0)
            SelectTool(tools_.previous);
        emit stateChanged();
        break;
    default:
        break;
    }
}

void CDotEditView::Commit() {
    // Even an edit that changed no pixel is one undo step.
    image_->CommitWorkingCopy();
    WorkingCopyChanged();
    emit stateChanged();
}
