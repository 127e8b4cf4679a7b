// A small always-on-top window whose inside is a hole: the screen shows through it, and
// its one tool-bar button takes exactly the pixels under the hole. The window tells its
// owner by posting an event, and keeps the picture until the next capture.
#pragma once

#include <QEvent>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <QRect>

class QAction;
class QToolBar;
class UserPrompts;

// Posted (with no data) to the notify target after each capture.
inline constexpr QEvent::Type kCaptureFinishedEvent = QEvent::Type(QEvent::User + 200);

// True where the desktop refuses to hand out the screen's pixels (a Wayland session).
bool ScreenGrabbingRefused();

class CScreenCapture : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kBorder = 2;

    explicit CScreenCapture(UserPrompts* prompts, QWidget* parent = nullptr);

    void SetNotify(QObject* target, QEvent::Type type = kCaptureFinishedEvent);

    // The see-through area in screen coordinates.
    QRect HoleRect() const;
    // The last capture; null before the first.
    const QImage& Captured() const { return captured_; }
    QAction* CaptureAction() const { return captureAction_; }
    QToolBar* ToolBar() const { return toolBar_; }

public slots:
    // Copies the screen pixels under the hole and notifies the target; says so instead
    // where the platform refuses.
    void Capture();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The hole in window coordinates: the area below the tool bar inside the border.
    QRect LocalHole() const;
    void UpdateRegion();

    UserPrompts* prompts_;
    QToolBar* toolBar_;
    QAction* captureAction_;
    QImage captured_;
    QPointer<QObject> notifyTarget_;
    QEvent::Type notifyType_ = kCaptureFinishedEvent;
};
