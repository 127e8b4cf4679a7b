#include "ui/source_view.h"

#include "image/loaders.h"
#include "image/transform.h"
#include "phone/selection.h"
#include "plugins/plugin_host.h"
#include "qtimage/dib_qimage.h"
#include "ui/command_ids.h"
#include "ui/output_panel.h"
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

CSourceView::CSourceView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    pluginFilter_ = LoadPluginsOnce();
}

CSourceView::~CSourceView() = default;

int CSourceView::SetPicture(DibPtr image) {
    picture_.reset();
    if (!image) {
        pictureImage_ = scaled_ = QImage();
        update();
        emit stateChanged();
        return 0;
    }
    if (image->bitCount != 24) {
        DibPtr wide(DibConvertDepth(image.get(), 24));
        image = std::move(wide);
    }
    return Install(std::move(image));
}

int CSourceView::OpenPicture(const QString& path) {
    picture_.reset();
    pictureImage_ = scaled_ = QImage();
    if (path.isEmpty()) {
        update();
        emit stateChanged();
        return 0;
    }
    DibPtr loaded(LoadImageFile(path.toStdString()));
    return SetPicture(std::move(loaded));
}

void CSourceView::ReplacePicture(DibPtr image) {
    if (image)
        Install(std::move(image));
}

DibPtr CSourceView::ExchangePicture(DibPtr image) {
    if (!image)
        return nullptr;
    const bool sameSize = picture_ && DibWidth(picture_.get()) == DibWidth(image.get()) &&
                          DibHeight(picture_.get()) == DibHeight(image.get());
    if (!sameSize) {
        DibPtr previous = std::move(picture_);
        Install(std::move(image));
        return previous;
    }
    std::swap(image, picture_);
    pictureImage_ = DibToQImage(picture_.get());
    scaled_ = QImage();
    RescaleCache();
    update();
    RefreshOutput();
    return image;
}

int CSourceView::Install(DibPtr image) {
    picture_ = std::move(image);
    if (!picture_) {
        pictureImage_ = scaled_ = QImage();
        update();
        emit stateChanged();
        return 0;
    }
    pictureImage_ = DibToQImage(picture_.get());
    LayoutPicture();
    SelectWholePicture();
    emit stateChanged();
    return 1;
}

void CSourceView::SelectWholePicture() {
    if (!picture_)
        return;
    selection_ = layout_.rect;
    update();
    RefreshOutput();
}

void CSourceView::LayoutPicture() {
    if (!picture_)
        return;
    layout_ =
        ::LayoutPicture(width(), height(), DibWidth(picture_.get()), DibHeight(picture_.get()));
    RescaleCache();
}

void CSourceView::RescaleCache() {
    const QSize size(layout_.rect.Width(), layout_.rect.Height());
    if (pictureImage_.isNull() || size.isEmpty()) {
        scaled_ = QImage();
        return;
    }
    if (scaled_.size() != size)
        scaled_ = size == pictureImage_.size()
                      ? pictureImage_
                      : pictureImage_.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

void CSourceView::RefreshOutput() {
    if (!picture_ || !panel_)
        return;
    const int width = DibWidth(picture_.get()), height = DibHeight(picture_.get());
    selectionPixels_ = SelectionToPicturePixels(selection_, layout_, width, height);
    if (selectionPixels_.Empty())
        return;
    const OutputSize size =
        OutputSizeForSelection(selection_.Width(), selection_.Height(), panel_->TargetWidth(),
                               panel_->TargetHeight(), aspectLock_);
    DibPtr base(DibCreate(picture_->bitCount, size.width, size.height));
    if (!base)
        return;
    ResampleImage(base.get(), 0, 0, -1, -1, picture_.get(), selectionPixels_.left,
                  selectionPixels_.top, selectionPixels_.right, selectionPixels_.bottom);
    panel_->SetBaseImage(std::move(base), false);
}

void CSourceView::resizeEvent(QResizeEvent*) {
    if (!picture_)
        return;
    LayoutPicture();
    selection_ = PicturePixelsToSelection(selectionPixels_, layout_);
    update();
}

void CSourceView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (!picture_)
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
    const int targetWidth = panel_ ? panel_->TargetWidth() : 0;
    const int targetHeight = panel_ ? panel_->TargetHeight() : 0;
    return TrackNewSelection(pressX_, pressY_, x, y, layout_.rect, aspectLock_, targetWidth,
                             targetHeight);
}

void CSourceView::UpdateBandArea(const ImageRect& band) {
    if (!band.Empty())
        update(ToQRect(band));
}

void CSourceView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !picture_)
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
        if (picture_ && Contains(HandleRect(selection_), point.x(), point.y()))
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
        selection_ = rect;
        RefreshOutput();
    }
}

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
