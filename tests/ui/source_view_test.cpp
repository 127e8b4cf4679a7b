#include "image/dib.h"
#include "phone/phone_image_document.h"
#include "phone/selection_geometry.h"
#include "qtimage/dib_qimage.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/document_signals.h"
#include "ui/main_frame.h"
#include "ui/source_view.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

namespace {

void Drag(QWidget* view, QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, (from + to) / 2);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

// A source view of a fixed client size over its own document.
struct ViewRig {
    PhoneImageDocument document;
    DocumentSignals notifier{&document};
    CSourceView view{&notifier};
    explicit ViewRig(QSize client) {
        view.resize(client);
        view.show();
    }
    QSize BaseSize() const {
        const PackedDib* base = document.Pipeline().BaseImage();
        return base ? QSize(DibWidth(base), DibHeight(base)) : QSize();
    }
};

} // namespace

class SourceViewTest : public QObject {
    Q_OBJECT
private slots:
    void bandDrawnTwiceRestoresThePixels() {
        QImage image(40, 30, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, random.generate() | 0xFF000000);
        const QImage original = image.copy();
        const ImageRect band{5, 4, 25, 20};
        {
            QPainter p(&image);
            DrawInvertedBand(p, band);
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool onOutline = (x == 5 || x == 24 || y == 4 || y == 19) && x >= 5 &&
                                       x <= 24 && y >= 4 && y <= 19;
                const QRgb expected = onOutline ? (~original.pixel(x, y) & 0xFFFFFF) | 0xFF000000
                                                : original.pixel(x, y);
                QCOMPARE(image.pixel(x, y), expected);
            }
        {
            QPainter p(&image);
            DrawInvertedBand(p, band);
            DrawInvertedBand(p, ImageRect{8, 8, 9, 12}); // one pixel wide
            DrawInvertedBand(p, ImageRect{8, 8, 9, 12});
        }
        QCOMPARE(image, original);
    }

    void dragsBecomeTheDocumentsSelection() {
        ViewRig rig(QSize(400, 320));
        QVERIFY(rig.document.SetCustomSize(120, 130));
        rig.document.SetPicture(testsupport::GradientPicture(300, 240));
        QCOMPARE(rig.view.Layout().rect, (ImageRect{50, 40, 350, 280}));
        QCOMPARE(rig.view.Selection(), rig.view.Layout().rect);
        Drag(&rig.view, QPoint(60, 50), QPoint(260, 150));
        QCOMPARE(rig.view.Selection(), (ImageRect{60, 50, 260, 150}));
        QCOMPARE(rig.document.Selection(), (ImageRect{10, 10, 210, 110}));
        QCOMPARE(rig.BaseSize(), QSize(120, 60));
        Drag(&rig.view, QPoint(70, 50), QPoint(170, 250)); // away from the handle at (60, 50)
        QCOMPARE(rig.BaseSize(), QSize(65, 130));

        // With the lock the output is the target size exactly.
        rig.view.HandleCommand(cmd::kAspectLock);
        QVERIFY(rig.document.AspectLock());
        Drag(&rig.view, QPoint(200, 200), QPoint(100, 100));
        QCOMPARE(rig.view.Selection(), (ImageRect{108, 100, 200, 200}));
        QCOMPARE(rig.BaseSize(), QSize(120, 130));

        // A click leaves the selection as it was.
        Drag(&rig.view, QPoint(150, 150), QPoint(150, 150));
        QCOMPARE(rig.view.Selection(), (ImageRect{108, 100, 200, 200}));

        // Dragging by the handle moves without resizing and stays on the picture.
        Drag(&rig.view, QPoint(109, 101), QPoint(5, 300));
        QCOMPARE(rig.view.Selection(), (ImageRect{50, 180, 142, 280}));
        QCOMPARE(rig.document.Selection(), (ImageRect{0, 140, 92, 240}));
        QVERIFY(!rig.view.Dragging());

        // A selection made elsewhere (a profile change) shows at once.
        QVERIFY(rig.document.SelectProfile(16));
        QCOMPARE(rig.view.Selection(), rig.view.Layout().rect);
    }

    void resizeKeepsTheSelectionOnThePicture() {
        ViewRig rig(QSize(400, 300));
        rig.document.SetPicture(testsupport::GradientPicture(1000, 800));
        Drag(&rig.view, QPoint(100, 60), QPoint(250, 200));
        const ImageRect pixels = rig.document.Selection();
        const QSize base = rig.BaseSize();
        rig.view.resize(800, 700);
        const ImageRect now =
            SelectionToPicturePixels(rig.view.Selection(), rig.view.Layout(), 1000, 800);
        QVERIFY(std::abs(now.left - pixels.left) <= 1 && std::abs(now.bottom - pixels.bottom) <= 1);
        // No new output on a resize.
        QCOMPARE(rig.document.Selection(), pixels);
        QCOMPARE(rig.BaseSize(), base);
    }

    void outlineOnlyOutsideADrag() {
        ViewRig rig(QSize(400, 300));
        rig.document.SetPicture(testsupport::GradientPicture(100, 80)); // 1:1 at (150, 110)
        const QRgb red = qRgb(255, 0, 0);
        auto shown = [&](QPoint at) { return rig.view.grab().toImage().pixel(at); };
        QCOMPARE(shown({200, 110}), red);
        QCOMPARE(shown({150, 110}), red); // the handle
        QTest::mousePress(&rig.view, Qt::LeftButton, {}, QPoint(200, 150));
        QTest::mouseMove(&rig.view, QPoint(220, 170));
        QVERIFY(shown({200, 110}) != red);
        QVERIFY(shown({150, 110}) != red);
        QTest::mouseRelease(&rig.view, Qt::LeftButton, {}, QPoint(220, 170));
        QCOMPARE(shown({210, 150}), red);
    }

    void pressWithoutPictureDoesNothing() {
        ViewRig rig(QSize(300, 200));
        QTest::mousePress(&rig.view, Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!rig.view.Dragging());
        QTest::mouseRelease(&rig.view, Qt::LeftButton, {}, QPoint(90, 90));
        QVERIFY(!rig.document.Pipeline().OutputImage());
    }

    // A turn of a square picture or a flip keeps the picture's size; the view must show the
    // new picture all the same, at once, where the output already uses it.
    void turnsAndFlipsShowAtOnce() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.resize(900, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.Document().SetPicture(testsupport::GradientPicture(100, 100));
        CSourceView* view = frame.SourceView();
        QCOMPARE(view->Layout().scale, 1.0);
        for (int command : {cmd::kFlipVertical, cmd::kRotateRight, cmd::kFlipHorizontal}) {
            const QImage before = view->grab().toImage();
            frame.RunCommand(command);
            const QImage shown = view->grab().toImage();
            const QImage picture = DibToQImage(frame.Document().Picture());
            const ImageRect at = view->Layout().rect;
            // Inside the red outline and away from the handle, the new picture shows.
            for (int y = 5; y < 99; y += 7)
                for (int x = 5; x < 99; x += 7)
                    QCOMPARE(shown.pixel(at.left + x, at.top + y), picture.pixel(x, y));
            QVERIFY(shown != before);
        }
    }
};

MOKOA_QT_TEST(SourceViewTest);
#include "source_view_test.moc"
