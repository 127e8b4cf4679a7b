#include "app/startup_picture_wnd.h"

#include "image/loaders.h"
#include "qtimage/dib_painter.h"
#include "qtimage/dib_qimage.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

QPointer<CStartupPictureWnd> CStartupPictureWnd::current_;

DibPtr LoadStartupPicture(const QString& folder) {
    DibPtr picture;
    const QString file = folder + "/mokoa.dat";
    if (QFile::exists(file))
        picture = ReadPngFile(QFile::encodeName(file).toStdString());
    if (!picture)
        picture = DibFromDeviceBitmap(QImage(":/mokoa/startup.png"));
    return picture;
}

CStartupPictureWnd* CStartupPictureWnd::Current() {
    return current_.data();
}

bool CStartupPictureWnd::ShowFor(QWidget* mainWindow, DibPtr picture) {
    if (current_)
        return true;
    if (!picture) {
        mainWindow->show();
        return false;
    }
    auto* window = new CStartupPictureWnd(mainWindow, std::move(picture));
    current_ = window;
    window->show();
    window->repaint();
    return true;
}

CStartupPictureWnd::CStartupPictureWnd(QWidget* mainWindow, DibPtr picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      mainWindow_(mainWindow), picture_(std::move(picture)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    const QSize size(DibWidth(picture_.get()), DibHeight(picture_.get()));
    setFixedSize(size);
    // The owner is still hidden, so centre on the screen's work area, not on the owner.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area(QPoint(0, 0), size);
        area.moveCenter(screen->availableGeometry().center());
        move(area.topLeft());
    }
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CStartupPictureWnd::Finish);
    timer_.start(kShowMilliseconds);
    qApp->installEventFilter(this);
}

CStartupPictureWnd::~CStartupPictureWnd() {
    qApp->removeEventFilter(this);
}

void CStartupPictureWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DibDraw(picture_.get(), &painter, 0, 0, width(), height());
}

bool CStartupPictureWnd::eventFilter(QObject*, QEvent* event) {
    if (finished_)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepting the override keeps an accelerator from firing; the key press that
        // follows closes the picture and is swallowed as well.
        event->accept();
        return true;
    case QEvent::KeyPress:
        Finish();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: {
        const auto button = static_cast<QMouseEvent*>(event)->button();
        if (button == Qt::LeftButton || button == Qt::RightButton || button == Qt::MiddleButton) {
            Finish();
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

void CStartupPictureWnd::Finish() {
    if (finished_)
        return;
    finished_ = true;
    timer_.stop();
    qApp->removeEventFilter(this);
    if (current_ == this)
        current_ = nullptr;
    hide();
    if (mainWindow_) {
        mainWindow_->show();
        mainWindow_->raise();
        mainWindow_->activateWindow();
        mainWindow_->repaint();
    }
    emit closed();
    close();
}
