#include "app/startup_picture_wnd.h"
#include "phone/phone_image_document.h"
#include "qtimage/dib_qimage.h"
#include "tests/common/qt_test_support.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/source_view.h"

#include <QFile>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Counts the key presses that reach a widget.
class KeySpy : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)
            ++presses;
        return false;
    }
};

QSize SizeOf(const DibPtr& dib) {
    return dib ? QSize(DibWidth(dib.get()), DibHeight(dib.get())) : QSize();
}

} // namespace

class StartupPictureTest : public QObject {
    Q_OBJECT
private slots:
    void builtInPictureUnlessMokoaDatReads() {
        QTemporaryDir folder;
        QCOMPARE(SizeOf(LoadStartupPicture(folder.path())), QSize(336, 158));

        QFile junk(folder.filePath("mokoa.dat"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a picture");
        junk.close();
        QCOMPARE(SizeOf(LoadStartupPicture(folder.path())), QSize(336, 158));

        QImage own(50, 40, QImage::Format_RGB32);
        own.fill(Qt::red);
        QVERIFY(own.save(folder.filePath("mokoa.dat"), "PNG"));
        const DibPtr loaded = LoadStartupPicture(folder.path());
        QCOMPARE(SizeOf(loaded), QSize(50, 40));
        QCOMPARE(DibToQImage(loaded.get()).pixelColor(3, 3), QColor(Qt::red));
    }

    void keyClosesThePictureWithoutReachingTheMainWindow() {
        CMainFrame frame;
        const bool lockBefore = frame.Document().AspectLock();
        KeySpy spy;
        frame.installEventFilter(&spy);
        frame.SourceView()->installEventFilter(&spy);

        QVERIFY(CStartupPictureWnd::ShowFor(&frame, LoadStartupPicture(QString())));
        CStartupPictureWnd* picture = CStartupPictureWnd::Current();
        QVERIFY(picture);
        QCOMPARE(picture->size(), QSize(336, 158));
        QVERIFY(!frame.isVisible());
        // A second request while it is up shows no second picture.
        QVERIFY(CStartupPictureWnd::ShowFor(&frame, LoadStartupPicture(QString())));
        QCOMPARE(CStartupPictureWnd::Current(), picture);

        QSignalSpy closed(picture, &CStartupPictureWnd::closed);
        // Ctrl is the first key of the aspect-lock accelerator: it closes the picture and
        // goes no further.
        QTest::sendKeyEvent(QTest::Press, frame.SourceView(), Qt::Key_Control, QString(), {});
        QCOMPARE(closed.count(), 1);
        QVERIFY(!CStartupPictureWnd::Current());
        QVERIFY(frame.isVisible());
        QCOMPARE(spy.presses, 0);
        QCOMPARE(frame.Document().AspectLock(), lockBefore);

        // Once it is gone keys reach the window again.
        QTest::keyClick(frame.SourceView(), Qt::Key_A);
        QVERIFY(spy.presses > 0);
    }

    void mousePressClosesThePicture() {
        CMainFrame frame;
        QVERIFY(CStartupPictureWnd::ShowFor(&frame, LoadStartupPicture(QString())));
        QPointer<CStartupPictureWnd> picture = CStartupPictureWnd::Current();
        QTest::mouseClick(picture.data(), Qt::RightButton, {}, QPoint(10, 10));
        QVERIFY(!CStartupPictureWnd::Current());
        QVERIFY(frame.isVisible());
        QTRY_VERIFY(picture.isNull());
    }

    void timerClosesThePicture() {
        CMainFrame frame;
        QVERIFY(CStartupPictureWnd::ShowFor(&frame, LoadStartupPicture(QString())));
        QSignalSpy closed(CStartupPictureWnd::Current(), &CStartupPictureWnd::closed);
        QVERIFY(closed.wait(CStartupPictureWnd::kShowMilliseconds + 3000));
        QVERIFY(frame.isVisible());
    }
};

MOKOA_QT_TEST(StartupPictureTest);
#include "startup_picture_test.moc"
