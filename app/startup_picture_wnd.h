// The borderless start-up picture shown before the main window. It closes after 1500 ms
// or at the first key or mouse press anywhere in the program; that press is swallowed so
// it does not act on the main window.
#pragma once

#include "image/dib.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

// mokoa.dat in `folder` when it is a readable PNG, else the built-in picture.
DibPtr LoadStartupPicture(const QString& folder);

class CStartupPictureWnd : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 1500;

    // Shows the picture for `mainWindow`, which is shown when the picture closes. Does
    // nothing while a picture is already up. False when no window could be made (the main
    // window is then shown at once).
    static bool ShowFor(QWidget* mainWindow, DibPtr picture);
    // The picture currently up, or none.
    static CStartupPictureWnd* Current();

    ~CStartupPictureWnd() override;

signals:
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CStartupPictureWnd(QWidget* mainWindow, DibPtr picture);
    void Finish();

    QPointer<QWidget> mainWindow_;
    DibPtr picture_; // released with the window
    QTimer timer_;
    bool finished_ = false;
    static QPointer<CStartupPictureWnd> current_;
};
