// Turning the source picture by any whole angle: a preview the user grabs and turns, or
// the angle typed into an edit box with a spin button.
#pragma once

#include "image/dib.h"

#include <QDialog>
#include <QRect>

class QLineEdit;
class QToolButton;
class UserPrompts;

class CRotateDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kBoxLeft = 20, kBoxTop = 10;

    // The source stays the caller's and must outlive the dialog.
    CRotateDlg(const PackedDib* source, UserPrompts* prompts, QWidget* parent = nullptr);

    // Runs the dialog; on OK the source turned by the chosen angle, otherwise (or when the
    // rotation fails) none.
    static DibPtr Run(const PackedDib* source, UserPrompts* prompts, QWidget* parent = nullptr);
    // The full source turned by the current angle, as OK does it.
    DibPtr Rotated() const;

    int Angle() const { return angle_; }
    bool Dragging() const { return dragging_; }
    const PackedDib* Thumbnail() const { return thumbnail_.get(); }
    const PackedDib* Preview() const { return preview_.get(); }
    // The square the preview turns in, in dialog coordinates.
    QRect PreviewBox() const { return QRect(kBoxLeft, kBoxTop, boxSide_, boxSide_); }
    QLineEdit* AngleEdit() const { return edit_; }
    QToolButton* SpinUp() const { return spinUp_; }
    QToolButton* SpinDown() const { return spinDown_; }

public slots:
    // Closes only when the edit box holds a whole number.
    void accept() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // The edit box's number, reduced into 0..359; false (after the message) for no number.
    bool TakeAngleFromEdit();
    void OnEditChanged();
    void RotatePreview();

    const PackedDib* source_;
    UserPrompts* prompts_;
    int angle_ = 0;
    DibPtr thumbnail_;
    DibPtr preview_;
    int boxSide_ = 0;
    bool dragging_ = false;
    QPoint press_;
    int angleAtPress_ = 0;
    int sx_ = 1, sy_ = -1;
    QLineEdit* edit_ = nullptr;
    QToolButton* spinUp_ = nullptr;
    QToolButton* spinDown_ = nullptr;
};
