#include "tests/common/qt_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/screen_capture.h"

#include <QAction>
#include <QCoreApplication>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QToolBar>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Counts the capture-finished events posted to it.
class NotifyCounter : public QObject {
public:
    int count = 0;
    bool event(QEvent* e) override {
        if (e->type() == kCaptureFinishedEvent) {
            ++count;
            return true;
        }
        return QObject::event(e);
    }
};

// Every screen pixel of the probe's 640 x 480 screen gets its own colour.
QRgb Pattern(int x, int y) {
    return qRgb(x & 0xFF, y & 0xFF, (((x >> 8) << 4 | (y >> 8)) * 8 + 3) & 0xFF);
}

class PatternWindow : public QWidget {
public:
    PatternWindow()
        : QWidget(nullptr, Qt::FramelessWindowHint), image_(640, 480, QImage::Format_RGB32) {
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x)
                image_.setPixel(x, y, Pattern(x, y));
        setGeometry(0, 0, 640, 480);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, image_);
    }

private:
    QImage image_;
};

// An Xvfb of our own; it picks a free display and names it through a pipe once it takes
// connections.
class OwnXvfb {
public:
    ~OwnXvfb() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Start(const QString& program, QString* error) {
        int fds[2];
        if (::pipe(fds) != 0) {
            *error = "pipe failed";
            return false;
        }
        ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        const QByteArray path = program.toLocal8Bit(), fd = QByteArray::number(fds[1]);
        const char* argv[] = {path.constData(), "-displayfd", fd.constData(), "-screen", "0",
                              "640x480x24",     "-nolisten",  "tcp",          nullptr};
        const int spawned = posix_spawn(&pid_, path.constData(), &actions, nullptr,
                                        const_cast<char**>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (spawned != 0) {
            pid_ = -1;
            ::close(fds[0]);
            *error = "cannot start " + program;
            return false;
        }
        QByteArray answer;
        pollfd watch{fds[0], POLLIN, 0};
        while (!answer.contains('\n') && ::poll(&watch, 1, 20000) > 0) {
            char buffer[32];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0)
                break;
            answer.append(buffer, n);
        }
        ::close(fds[0]);
        bool ok = false;
        display_ = answer.trimmed().toInt(&ok);
        if (!ok)
            *error = "Xvfb named no display";
        return ok;
    }
    int Display() const { return display_; }

private:
    pid_t pid_ = -1;
    int display_ = -1;
};

bool MatchesPattern(const QImage& image, const QRect& screenArea) {
    if (image.size() != screenArea.size())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != Pattern(screenArea.x() + x, screenArea.y() + y))
                return false;
    return true;
}

} // namespace

// On any platform: the window's make-up and the refusal.
class ScreenCaptureTest : public QObject {
    Q_OBJECT
private slots:
    void windowAndHole() {
        FakePrompts prompts;
        auto* capture = new CScreenCapture(&prompts);
        QPointer<CScreenCapture> alive(capture);
        QCOMPARE(capture->windowTitle(), QString("外部取り込みキャプチャ"));
        QVERIFY(capture->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(capture->size(), QSize(180, 250));
        QCOMPARE(capture->ToolBar()->actions().size(), 1);
        QCOMPARE(capture->CaptureAction()->text(), QString("取り込み"));
        capture->show();
        QVERIFY(QTest::qWaitForWindowExposed(capture));

        // Below the tool bar, inside the 2-pixel border; the mask is the window minus it.
        const int bar = capture->ToolBar()->geometry().bottom() + 1;
        const QRect local(2, bar + 2, 180 - 4, 250 - bar - 4);
        QCOMPARE(capture->HoleRect(), QRect(capture->mapToGlobal(local.topLeft()), local.size()));
        QCOMPARE(capture->mask(), QRegion(0, 0, 180, 250).subtracted(QRegion(local)));
        capture->resize(240, 300);
        QTRY_COMPARE(capture->HoleRect().size(), QSize(236, 300 - bar - 4));
        QVERIFY(!capture->mask().contains(QPoint(120, 150)));
        QVERIFY(capture->mask().contains(QPoint(1, 150)));

        // Closing the window destroys it, so that a new one can be made.
        capture->close();
        QTRY_VERIFY(alive.isNull());
    }

    void refusedGrabbingSaysSo() {
        FakePrompts prompts;
        NotifyCounter target;
        CScreenCapture capture(&prompts);
        capture.SetNotify(&target);
        capture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&capture));
        const QByteArray before = qgetenv("XDG_SESSION_TYPE");
        qputenv("XDG_SESSION_TYPE", "wayland");
        QVERIFY(ScreenGrabbingRefused());
        capture.Capture();
        qputenv("XDG_SESSION_TYPE", before);
        QCoreApplication::sendPostedEvents();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages[0].contains("Wayland"));
        QVERIFY(capture.Captured().isNull());
        QCOMPARE(target.count, 0);
    }
};

// Starts an X server of its own and runs the probe below on it.
class ScreenCaptureXvfbTest : public QObject {
    Q_OBJECT
private slots:
    void capturesExactlyTheHole() {
        const QString xvfb = QStandardPaths::findExecutable("Xvfb");
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (Debian package xvfb); the real-screen capture is not "
                  "checked");
        OwnXvfb server;
        QString error;
        QVERIFY2(server.Start(xvfb, &error), qPrintable(error));

        QProcess probe;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", QStringLiteral(":%1").arg(server.Display()));
        env.insert("MOKOA_CAPTURE_PROBE", "1");
        env.remove("XDG_SESSION_TYPE");
        env.remove("WAYLAND_DISPLAY");
        probe.setProcessEnvironment(env);
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QCoreApplication::applicationFilePath(), {"ScreenCaptureProbe"});
        QVERIFY(probe.waitForStarted(10000));
        const bool finished = probe.waitForFinished(120000);
        const QByteArray output = probe.readAll();
        if (!finished)
            probe.kill();
        QVERIFY2(finished, output.constData());
        QVERIFY2(probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0,
                 output.constData());
        QVERIFY2(output.contains("PASS   : ScreenCaptureProbe::captureUnderTheHole()"),
                 output.constData());
    }
};

// Runs only inside the X server started above (it needs a real screen).
class ScreenCaptureProbe : public QObject {
    Q_OBJECT
private slots:
    void captureUnderTheHole() {
        if (qEnvironmentVariableIsEmpty("MOKOA_CAPTURE_PROBE"))
            QSKIP("runs only on the X server that ScreenCaptureXvfbTest starts");
        PatternWindow pattern;
        pattern.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pattern));

        FakePrompts prompts;
        NotifyCounter target;
        CScreenCapture capture(&prompts);
        capture.SetNotify(&target);
        capture.move(100, 80);
        capture.show();
        QVERIFY(QTest::qWaitForWindowExposed(&capture));
        QTRY_COMPARE(capture.geometry().topLeft(), QPoint(100, 80));

        // Captures until the server has drawn the pattern into the hole; every capture
        // must be announced, and what it finally holds must be the pattern exactly.
        auto captureMatches = [&] {
            const int before = target.count;
            capture.CaptureAction()->trigger();
            QCoreApplication::sendPostedEvents(&target);
            return target.count == before + 1 &&
                   MatchesPattern(capture.Captured(), capture.HoleRect());
        };
        QTRY_VERIFY_WITH_TIMEOUT(captureMatches(), 10000);
        QVERIFY(prompts.messages.isEmpty());
        const int bar = capture.ToolBar()->height();
        QCOMPARE(capture.HoleRect(), QRect(102, 80 + bar + 2, 176, 250 - bar - 4));
        QCOMPARE(capture.Captured().size(), QSize(176, 250 - bar - 4));
        // Just outside the hole the screen shows the window's own border, not the pattern.
        const QImage screen = capture.screen()->grabWindow(0).toImage();
        const QRect hole = capture.HoleRect();
        QVERIFY(screen.pixel(hole.left() - 1, hole.top() + 10) !=
                Pattern(hole.left() - 1, hole.top() + 10));
        QVERIFY(screen.pixel(hole.left() + 10, hole.top() - 1) !=
                Pattern(hole.left() + 10, hole.top() - 1));
        QVERIFY(screen.pixel(hole.right() + 1, hole.top() + 10) !=
                Pattern(hole.right() + 1, hole.top() + 10));
        QVERIFY(screen.pixel(hole.left() + 10, hole.bottom() + 1) !=
                Pattern(hole.left() + 10, hole.bottom() + 1));

        // Moved, the hole takes the pixels at the new place; larger, a larger picture.
        capture.move(300, 150);
        QTRY_COMPARE(capture.HoleRect().topLeft(), QPoint(302, 150 + bar + 2));
        QTRY_VERIFY_WITH_TIMEOUT(captureMatches(), 10000);
        capture.resize(260, 300);
        QTRY_COMPARE(capture.HoleRect().size(), QSize(256, 300 - bar - 4));
        QTRY_VERIFY_WITH_TIMEOUT(captureMatches(), 10000);
        QCOMPARE(capture.Captured().size(), QSize(256, 300 - bar - 4));
    }
};

MOKOA_QT_TEST(ScreenCaptureTest);
MOKOA_QT_TEST(ScreenCaptureXvfbTest);
MOKOA_QT_TEST(ScreenCaptureProbe);
#include "screen_capture_test.moc"
