#include "ui/adjust_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace {

// The style marks every tick interval from the minimum, ends included; these sliders carry
// one mark only, at 0. The tick row keeps its room so the groove sits as usual.
class ZeroTickSlider : public QSlider {
public:
    using QSlider::QSlider;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QStyleOptionSlider opt;
        initStyleOption(&opt);
        opt.subControls = QStyle::SC_SliderGroove;
        style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
        if (tickPosition() != NoTicks) {
            // The style's own mark for 0 (the interval is the distance from the minimum),
            // with the others clipped away.
            const int space = style()->pixelMetric(QStyle::PM_SliderSpaceAvailable, &opt, this);
            const int length = style()->pixelMetric(QStyle::PM_SliderLength, &opt, this);
            const int x =
                QStyle::sliderPositionFromValue(minimum(), maximum(), 0, space, opt.upsideDown) +
                length / 2;
            p.save();
            p.setClipRect(x - 2, 0, 5, height());
            opt.subControls = QStyle::SC_SliderTickmarks;
            style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
            p.restore();
        }
        opt.subControls = QStyle::SC_SliderHandle;
        style()->drawComplexControl(QStyle::CC_Slider, &opt, &p, this);
    }
};

} // namespace

CAdjustDialog::CAdjustDialog(AdjustTarget* target, QWidget* parent)
    : QDialog(parent), target_(target) {}

CAdjustDialog::~CAdjustDialog() {
    Restore();
}

const PackedDib* CAdjustDialog::StartingPicture() const {
    return start_ ? start_.get() : target_->Picture();
}

void CAdjustDialog::Reapply(PixelOperation op, intptr_t param) {
    const PackedDib* start = StartingPicture();
    if (!start)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // When the copy cannot be made the target keeps what it shows.
    if (DibPtr adjusted{ApplyPixelOperation(start, nullptr, op, param)}) {
        DibPtr replaced = target_->ExchangePicture(std::move(adjusted));
        if (!start_)
            start_ = std::move(replaced); // else the previous preview, released here
    }
    QApplication::restoreOverrideCursor();
}

void CAdjustDialog::Restore() {
    if (start_)
        target_->ExchangePicture(std::move(start_));
    start_.reset();
}

void CAdjustDialog::accept() {
    start_.reset();
    QDialog::accept();
}

void CAdjustDialog::reject() {
    Restore();
    QDialog::reject();
}

QSlider* CAdjustDialog::AddSlider(int low, int high, const QRect& place) {
    auto* slider = new ZeroTickSlider(Qt::Horizontal, this);
    slider->setRange(low, high);
    slider->setSingleStep(1);
    slider->setPageStep(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(low < 0 ? -low : high - low);
    slider->setValue(0);
    slider->setGeometry(place);
    slider->installEventFilter(this);
    return slider;
}

bool CAdjustDialog::eventFilter(QObject* watched, QEvent* event) {
    const bool release =
        event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease;
    if (!release || !qobject_cast<QSlider*>(watched))
        return QDialog::eventFilter(watched, event);
    // The slider takes the release first, so that its position is final.
    watched->event(event);
    SliderReleased();
    return true;
}
