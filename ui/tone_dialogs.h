// The two adjustment dialogs of the source picture: brightness and contrast, and offsets
// of the RGB or YCrCb components.
#pragma once

#include "ui/adjust_dialog.h"

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class UserPrompts;

class CBrightnessContrastDlg : public CAdjustDialog {
    Q_OBJECT
public:
    explicit CBrightnessContrastDlg(AdjustTarget* target, QWidget* parent = nullptr);

    QSlider* BrightnessSlider() const { return brightness_; }
    QSlider* ContrastSlider() const { return contrast_; }

protected:
    void SliderReleased() override;

private:
    QSlider* brightness_;
    QSlider* contrast_;
};

// The edit boxes read the way the C library reads a number: leading blanks, a sign, then
// digits up to the first other character; no digits is 0. Kept as a signed 16-bit value.
int16_t ParseComponentText(const QString& text);

class CColorComponentDlg : public CAdjustDialog {
    Q_OBJECT
public:
    enum ColorType { kRgb = 0, kYCrCb = 1 };

    CColorComponentDlg(AdjustTarget* target, UserPrompts* prompts, QWidget* parent = nullptr);

    ColorType Type() const { return type_; }
    const ComponentOffsets& Values() const { return values_; }
    const ComponentOffsets& Remembered(ColorType type) const { return remembered_[type]; }
    QComboBox* TypeList() const { return typeList_; }
    QSlider* Slider(int row) const { return rows_[size_t(row)].slider; }
    QLineEdit* Edit(int row) const { return rows_[size_t(row)].edit; }
    QLabel* Label(int row) const { return rows_[size_t(row)].label; }

public slots:
    // Closes only when every edit box holds a whole number.
    void accept() override;

protected:
    void SliderReleased() override;

private:
    struct Row {
        QLabel* label = nullptr;
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
    };
    void OnEditChanged();
    void OnTypeChanged(int index);
    void Apply();
    void ShowValues(bool sliders, bool edits);

    UserPrompts* prompts_;
    std::array<Row, 3> rows_;
    QComboBox* typeList_;
    ColorType type_ = kRgb;
    ComponentOffsets values_;
    std::array<ComponentOffsets, 2> remembered_{};
    bool ready_ = false;
};
