#include "image/dib.h"
#include "phone/selection_geometry.h"
#include "tests/common/qt_test_support.h"
#include "ui/output_panel.h"
#include "ui/source_view.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A picture file of the given size with a gradient, so that turns are visible.
QString MakePicture(const QTemporaryDir& dir, const char* name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, 90));
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

void Drag(QWidget* view, QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, (from + to) / 2);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
}

// A source view of a fixed client size wired to its own output panel.
struct ViewRig {
    COutputPanel panel;
    CSourceView view;
    explicit ViewRig(QSize client) {
        panel.SetSourceView(&view);
        view.SetOutputPanel(&panel);
        view.resize(client);
        view.show();
    }
    QSize BaseSize() const {
        const PackedDib* base = panel.Pipeline().BaseImage();
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

    void unlockedOutputKeepsTheSelectionsProportions() {
        QTemporaryDir dir;
        ViewRig rig(QSize(400, 320));
        rig.panel.SetCustomSize(120, 130);
        QCOMPARE(rig.view.OpenPicture(MakePicture(dir, "p.png", 300, 240)), 1);
        QCOMPARE(rig.view.Layout().rect, (ImageRect{50, 40, 350, 280}));
        QCOMPARE(rig.view.Selection(), rig.view.Layout().rect);
        Drag(&rig.view, QPoint(60, 50), QPoint(260, 150));
        QCOMPARE(rig.view.Selection(), (ImageRect{60, 50, 260, 150}));
        QCOMPARE(rig.BaseSize(), QSize(120, 60));
        Drag(&rig.view, QPoint(70, 50), QPoint(170, 250)); // away from the handle at (60, 50)
        QCOMPARE(rig.BaseSize(), QSize(65, 130));
        QVERIFY(rig.panel.HasOutputImage());

        // With the lock the output is the target size exactly.
        rig.view.SetAspectLock(true);
        Drag(&rig.view, QPoint(200, 200), QPoint(100, 100));
        QCOMPARE(rig.view.Selection(), (ImageRect{108, 100, 200, 200}));
        QCOMPARE(rig.BaseSize(), QSize(120, 130));

        // A click leaves the selection as it was.
        Drag(&rig.view, QPoint(150, 150), QPoint(150, 150));
        QCOMPARE(rig.view.Selection(), (ImageRect{108, 100, 200, 200}));

        // Dragging by the handle moves without resizing and stays on the picture.
        Drag(&rig.view, QPoint(109, 101), QPoint(5, 300));
        QCOMPARE(rig.view.Selection(), (ImageRect{50, 180, 142, 280}));
        QVERIFY(!rig.view.Dragging());
    }

    void resizeKeepsTheSelectionOnThePicture() {
        QTemporaryDir dir;
        ViewRig rig(QSize(400, 300));
        QCOMPARE(rig.view.OpenPicture(MakePicture(dir, "p.png", 1000, 800)), 1);
        Drag(&rig.view, QPoint(100, 60), QPoint(250, 200));
        const ImageRect pixels = rig.view.SelectionPixels();
        const QSize base = rig.BaseSize();
        rig.view.resize(800, 700);
        const ImageRect now =
            SelectionToPicturePixels(rig.view.Selection(), rig.view.Layout(), 1000, 800);
        QVERIFY(std::abs(now.left - pixels.left) <= 1 && std::abs(now.bottom - pixels.bottom) <= 1);
        // No new output on a resize.
        QCOMPARE(rig.BaseSize(), base);
    }

    void outlineOnlyOutsideADrag() {
        QTemporaryDir dir;
        ViewRig rig(QSize(400, 300));
        QCOMPARE(rig.view.OpenPicture(MakePicture(dir, "p.png", 100, 80)), 1); // 1:1 at (150, 110)
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
        QVERIFY(!rig.panel.HasOutputImage());
    }

    void badFilesLeaveTheViewEmpty() {
        QTemporaryDir dir;
        ViewRig rig(QSize(300, 200));
        QCOMPARE(rig.view.OpenPicture(MakePicture(dir, "p.png", 50, 40)), 1);
        QFile junk(dir.filePath("junk.jpg"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("\xFF\xD8\xFF garbage");
        junk.close();
        QCOMPARE(rig.view.OpenPicture(junk.fileName()), 0);
        QVERIFY(!rig.view.HasPicture());
        QCOMPARE(rig.view.OpenPicture(dir.filePath("missing.png")), 0);
        rig.view.repaint();
    }
};

MOKOA_QT_TEST(SourceViewTest);
#include "source_view_test.moc"
