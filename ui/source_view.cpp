#include "ui/source_view.h"

#include "phone/phone_image_document.h"
#include "plugins/plugin_host.h"
#include "qtimage/dib_qimage.h"
#include "ui/command_ids.h"
#include "ui/document_signals.h"
#include "ui/program_cursors.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

QRect ToQRect(const ImageRect& r) {
    return QRect(r.left, r.top, r.Width(), r.Height());
}

// The plug-ins are a process-wide list: load the folder once for the whole run.
QString LoadPluginsOnce() {
    static const QString filter = [] {
        LoadPluginsBesideExecutable();
        return CountPluginFormats() > 0 ? QString::fromStdString(BuildPluginFilter()) : QString();
    }();
    return filter;
}

} // namespace

void DrawInvertedBand(QPainter& painter, const ImageRect& band) {
    if (band.Empty())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    const QColor white(255, 255, 255);
    const int l = band.left, t = band.top, r = band.right - 1, b = band.bottom - 1;
    // Four edges that never share a pixel, so no pixel is inverted twice.
    painter.fillRect(QRect(l, t, r - l + 1, 1), white);
    if (b > t)
        painter.fillRect(QRect(l, b, r - l + 1, 1), white);
    if (b - t > 1) {
        painter.fillRect(QRect(l, t + 1, 1, b - t - 1), white);
        if (r > l)
            painter.fillRect(QRect(r, t + 1, 1, b - t - 1), white);
    }
    painter.restore();
}

CSourceView::CSourceView(DocumentSignals* document, QWidget* parent)
    : QWidget(parent), document_(document) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    pluginFilter_ = LoadPluginsOnce();
    connect(document_, &DocumentSignals::changed, this, &CSourceView::OnDocumentChanged);
    OnDocumentChanged(kPictureChanged | kSelectionChanged);
}

CSourceView::~CSourceView() = default;

PhoneImageDocument& CSourceView::Document() const {
    return document_->Document();
}

void CSourceView::OnDocumentChanged(unsigned changes) {
    // Any change of the picture shows the new one at once, even at the same size.
    if (changes & kPictureChanged) {
        scaled_ = QImage();
        LayoutPicture();
    }
    if ((changes & kSelectionChanged) && !handingOver_)
        ShowDocumentSelection();
    if (changes & (kPictureChanged | kSelectionChanged))
        update();
}

void CSourceView::ShowDocumentSelection() {
    if (!Document().HasPicture()) {
        selection_ = {};
        return;
    }
    selection_ = Intersect(PicturePixelsToSelection(Document().Selection(), layout_), layout_.rect);
}

void CSourceView::LayoutPicture() {
    const PackedDib* picture = Document().Picture();
    if (!picture)
        return;
    layout_ = ::LayoutPicture(width(), height(), DibWidth(picture), DibHeight(picture));
    RescaleCache();
}

void CSourceView::RescaleCache() {
    const QSize size(layout_.rect.Width(), layout_.rect.Height());
    // Only as many pixels as are shown: a big photo is never copied whole for drawing.
    if (scaled_.size() != size)
        scaled_ = DibToScaledQImage(Document().Picture(), size);
}

void CSourceView::resizeEvent(QResizeEvent*) {
    if (!Document().HasPicture())
        return;
    // The selection keeps its place on the picture; no new output.
    LayoutPicture();
    ShowDocumentSelection();
    update();
}

void CSourceView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!Document().HasPicture())
        return;
    if (!scaled_.isNull())
        p.drawImage(layout_.rect.left, layout_.rect.top, scaled_);
    // During a drag only the band marks the area.
    if (!dragging_) {
        const QColor red(255, 0, 0);
        if (!selection_.Empty()) {
            p.setPen(red);
            p.drawRect(selection_.left, selection_.top, selection_.Width() - 1,
                       selection_.Height() - 1);
        }
        p.fillRect(ToQRect(HandleRect(selection_)), red);
    }
    if (bandShown_)
        DrawInvertedBand(p, band_);
}

ImageRect CSourceView::Track(int x, int y) const {
    if (moving_)
        return TrackMove(selection_, layout_.rect, x, y);
    return TrackNewSelection(pressX_, pressY_, x, y, layout_.rect, Document().AspectLock(),
                             Document().TargetWidth(), Document().TargetHeight());
}

void CSourceView::UpdateBandArea(const ImageRect& band) {
    if (!band.Empty())
        update(ToQRect(band));
}

void CSourceView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !Document().HasPicture())
        return;
    const QPoint point = event->position().toPoint();
    bandShown_ = false;
    repaint();
    dragging_ = true;
    pressX_ = point.x();
    pressY_ = point.y();
    moving_ = Contains(HandleRect(selection_), point.x(), point.y());
    if (moving_)
        setCursor(DragCursor());
}

void CSourceView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    if (!dragging_) {
        if (Document().HasPicture() && Contains(HandleRect(selection_), point.x(), point.y()))
            setCursor(ResizeCursor());
        else
            unsetCursor();
        return;
    }
    if (bandShown_)
        UpdateBandArea(band_);
    else
        update(); // the outline goes in one piece, not wherever the band passes
    band_ = Track(point.x(), point.y());
    bandShown_ = true;
    UpdateBandArea(band_);
}

void CSourceView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !dragging_)
        return;
    const QPoint point = event->position().toPoint();
    dragging_ = false;
    // The band goes and the outline comes back, even where the selection stays as it was.
    bandShown_ = false;
    update();
    const ImageRect rect = Track(point.x(), point.y());
    moving_ = false;
    unsetCursor();
    if (rect.Width() > 0 && rect.Height() > 0) {
        // The rectangle drawn is the one dragged, not its round trip through picture pixels.
        selection_ = rect;
        const PackedDib* picture = Document().Picture();
        handingOver_ = true;
        Document().SetSelection(
            SelectionToPicturePixels(rect, layout_, DibWidth(picture), DibHeight(picture)));
        handingOver_ = false;
    }
}

bool CSourceView::HandleCommand(int id) {
    if (id != cmd::kAspectLock)
        return false;
    Document().SetAspectLock(!Document().AspectLock());
    return true;
}

bool CSourceView::UpdateCommand(int id, const FrameState&, CommandUi* ui) {
    if (id != cmd::kAspectLock)
        return false;
    ui->enabled = true;
    ui->checked = Document().AspectLock();
    return true;
}
