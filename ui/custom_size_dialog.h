// Defining the custom phone size: width and height from 20 to 180 pixels.
#pragma once

#include <QDialog>

class QLineEdit;
class UserPrompts;

class CCustomSizeDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMinSide = 20;
    static constexpr int kMaxSide = 180;

    CCustomSizeDlg(int width, int height, UserPrompts* prompts, QWidget* parent = nullptr);

    int Width() const { return width_; }
    int Height() const { return height_; }
    QLineEdit* WidthEdit() const { return widthEdit_; }
    QLineEdit* HeightEdit() const { return heightEdit_; }

public slots:
    // Closes only when both fields hold integers in range; otherwise prompts and puts the
    // focus on the first offending field.
    void accept() override;

private:
    bool CheckField(QLineEdit* edit, int* value);

    UserPrompts* prompts_;
    QLineEdit* widthEdit_;
    QLineEdit* heightEdit_;
    int width_, height_;
};
