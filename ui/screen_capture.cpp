#include "ui/screen_capture.h"

#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/command_texts.h"
#include "ui/control_edges.h"
#include "ui/user_prompts.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QScreen>
#include <QToolBar>

namespace {

constexpr const char* kRefusedText = QT_TRANSLATE_NOOP(
    "CScreenCapture", "この画面環境では他のウィンドウの表示内容を取り込めません。\n"
                      "(Wayland のセッションでは画面の取り込みが許可されていません)");

// The inside of the window: only its 2-pixel sunken border is drawn, the rest is cut
// out of the window.
class CaptureFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        DrawSunkenEdge(p, rect().adjusted(2, 2, -2, -2), palette());
    }
};

} // namespace

bool ScreenGrabbingRefused() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return true;
    // Under XWayland the root window holds nothing of the other programs' windows.
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

CScreenCapture::CScreenCapture(UserPrompts* prompts, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowStaysOnTopHint), prompts_(prompts) {
    setWindowTitle(tr("外部取り込みキャプチャ"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the main window ends the program even while this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    setContextMenuPolicy(Qt::PreventContextMenu);

    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName("captureToolBar");
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setIconSize(QSize(16, 15));
    addToolBar(Qt::TopToolBarArea, toolBar_);
    captureAction_ = toolBar_->addAction(QIcon(":/mokoa/toolbar/32788.png"), QString());
    if (const CommandInfo* info = FindCommand(cmd::kCapture)) {
        captureAction_->setText(CommandTipText(*info));
        captureAction_->setStatusTip(CommandStatusText(*info));
    }
    connect(captureAction_, &QAction::triggered, this, &CScreenCapture::Capture);

    auto* frame = new CaptureFrame(this);
    frame->installEventFilter(this);
    setCentralWidget(frame);
    resize(180, 250);
}

void CScreenCapture::SetNotify(QObject* target, QEvent::Type type) {
    notifyTarget_ = target;
    notifyType_ = type;
}

QRect CScreenCapture::LocalHole() const {
    return centralWidget()->geometry().adjusted(kBorder, kBorder, -kBorder, -kBorder);
}

QRect CScreenCapture::HoleRect() const {
    const QRect local = LocalHole();
    return QRect(mapToGlobal(local.topLeft()), local.size());
}

bool CScreenCapture::eventFilter(QObject* watched, QEvent* event) {
    // The frame is laid out below the tool bar; each change of its place moves the hole.
    if (watched == centralWidget() &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        UpdateRegion();
    return QMainWindow::eventFilter(watched, event);
}

void CScreenCapture::UpdateRegion() {
    const QRect hole = LocalHole();
    setMask(hole.isEmpty() ? QRegion(rect()) : QRegion(rect()).subtracted(QRegion(hole)));
}

void CScreenCapture::Capture() {
    const QRect hole = HoleRect();
    if (hole.isEmpty())
        return;
    QScreen* screen = QGuiApplication::screenAt(hole.center());
    if (!screen)
        screen = this->screen();
    QPixmap whole;
    if (!ScreenGrabbingRefused() && screen)
        whole = screen->grabWindow(0); // the whole screen, as the server shows it
    if (whole.isNull()) {
        prompts_->ShowMessage(this, tr(kRefusedText), UserPrompts::Icon::kWarning);
        return;
    }
    // Screen coordinates are logical; the grab is in device pixels.
    const qreal ratio = whole.devicePixelRatio();
    const QPoint offset = hole.topLeft() - screen->geometry().topLeft();
    const QRect device(qRound(offset.x() * ratio), qRound(offset.y() * ratio),
                       qRound(hole.width() * ratio), qRound(hole.height() * ratio));
    captured_ = whole.toImage().copy(device).convertToFormat(QImage::Format_RGB32);
    captured_.setDevicePixelRatio(1.0);
    if (notifyTarget_)
        QCoreApplication::postEvent(notifyTarget_, new QEvent(notifyType_));
}
