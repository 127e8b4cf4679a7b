#include "ui/adjust_dialog.h"

#include <QApplication>
#include <QEvent>
#include <QSlider>

#include <algorithm>

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
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(low, high);
    slider->setSingleStep(1);
    slider->setPageStep(10);
    // Marks at both ends and at 0.
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(std::max(-low, high));
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
