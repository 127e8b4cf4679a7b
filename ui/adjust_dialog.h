// What the tone and colour dialogs share: every change is applied afresh to the picture
// the dialog started from and shown in the target; OK keeps the last result, Cancel puts
// the starting picture back exactly.
#pragma once

#include "image/dib.h"
#include "image/pixel_ops.h"

#include <QDialog>

class QSlider;

// Where the adjusted picture is shown: the source view in the program.
class AdjustTarget {
public:
    virtual ~AdjustTarget() = default;
    virtual const PackedDib* Picture() const = 0;
    // Puts `picture` in place of the current one (keeping the selection), has the output
    // made anew and repaints; hands back the picture it replaced.
    virtual DibPtr ExchangePicture(DibPtr picture) = 0;
};

class CAdjustDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAdjustDialog(AdjustTarget* target, QWidget* parent = nullptr);
    // A dialog that goes without a result gives the starting picture back.
    ~CAdjustDialog() override;

    // The picture the adjustments start from (the target's until the first change).
    const PackedDib* StartingPicture() const;
    bool HasPreview() const { return start_ != nullptr; }

public slots:
    void accept() override;
    void reject() override;

protected:
    // The starting picture with the operation applied, shown in the target.
    void Reapply(PixelOperation op, intptr_t param);
    // A slider from low to high with line step 1, page step 10 and a tick at 0, whose
    // mouse or key releases reach SliderReleased once the slider has moved.
    QSlider* AddSlider(int low, int high, const QRect& place);
    virtual void SliderReleased() {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Restore();

    AdjustTarget* target_;
    DibPtr start_; // held here while the target shows a preview
};
