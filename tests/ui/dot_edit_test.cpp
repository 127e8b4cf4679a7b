#include "phone/dot_edit_geometry.h"
#include "phone/output_pipeline.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "ui/command_ids.h"
#include "ui/dot_edit_view.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include <memory>

using namespace cmd;
using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SamePixels;
using testsupport::SetPixel;
using testsupport::SolidPicture;

namespace {

const Rgb kWhite{255, 255, 255}, kRed{255, 0, 0};

// A view over its own pipeline, sized so that the client area is exactly cw x ch with
// the scroll bars the geometry asks for.
struct Editor {
    OutputPipeline pipeline;
    CDotEditView view;

    Editor(DibPtr picture, int cw, int ch, int zoomCommand = kZoom6) {
        pipeline.SetBaseImage(std::move(picture), false);
        view.SetPhoneImage(&pipeline);
        view.HandleCommand(zoomCommand);
        const PackedDib* w = pipeline.WorkingCopy();
        const int z = view.Zoom();
        const ScrollBarNeed need =
            NeededScrollBars(ComputeDotEditGeometry(w->width, w->height, z, cw, ch, 0, 0), cw, ch);
        const int frame = 2 * view.frameWidth();
        view.resize(cw + frame + (need.vertical ? view.verticalScrollBar()->sizeHint().width() : 0),
                    ch + frame +
                        (need.horizontal ? view.horizontalScrollBar()->sizeHint().height() : 0));
        view.show();
        // Offscreen windows are exposed at once; the grabs below check what was drawn.
        (void)QTest::qWaitForWindowExposed(&view);
    }
    QWidget* port() { return view.viewport(); }
    // Screen point of the centre of picture pixel (x, y).
    QPoint At(int x, int y) const {
        const DotEditGeometry g = view.Geometry();
        return {g.originX + x * g.zoom + g.zoom / 2, g.originY + y * g.zoom + g.zoom / 2};
    }
    void Click(const QPoint& p) {
        QTest::mousePress(port(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(port(), Qt::LeftButton, {}, p);
    }
    const PackedDib* Working() const { return pipeline.WorkingCopy(); }
    bool UndoEnabled() {
        CommandUi ui;
        view.UpdateCommand(kUndo, FrameState{}, &ui);
        return ui.enabled;
    }
};

QRgb GrabbedAt(QWidget* w, int x, int y) {
    return w->grab().toImage().pixel(x, y);
}

} // namespace

class DotEditTest : public QObject {
    Q_OBJECT
private slots:
    void scrollBarsAndPainting() {
        {
            Editor e(SolidPicture(100, 100, kRed), 500, 500);
            QCOMPARE(e.port()->size(), QSize(500, 500));
            QScrollBar* h = e.view.horizontalScrollBar();
            QScrollBar* v = e.view.verticalScrollBar();
            QVERIFY(h->isVisible());
            QVERIFY(v->isVisible());
            // The bar spans the extent, the client area being its page.
            QCOMPARE(h->maximum() + h->pageStep(), 624);
            QCOMPARE(v->maximum() + v->pageStep(), 624);
            QCOMPARE(GrabbedAt(e.port(), 11, 13), QColor(Qt::black).rgb());
            QCOMPARE(GrabbedAt(e.port(), 12, 13), e.view.palette().color(QPalette::Mid).rgb());
            QCOMPARE(GrabbedAt(e.port(), 13, 13), QColor(Qt::red).rgb());

            // Wheel: one notch toward the user is three lines of z pixels down.
            QWheelEvent wheel(QPointF(50, 50), e.port()->mapToGlobal(QPointF(50, 50)), {},
                              QPoint(0, -120), Qt::NoButton, {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(e.port(), &wheel);
            QCOMPARE(v->value(), 18);
            QCOMPARE(e.view.Geometry().originY, 12 - 18);

            // Zoom 3 fits: the bars go and the picture is centred.
            e.view.HandleCommand(kZoom3);
            QTRY_VERIFY(!h->isVisible() && !v->isVisible());
            const DotEditGeometry g = e.view.Geometry();
            QCOMPARE(QPoint(g.originX, g.originY),
                     QPoint((e.port()->width() - 300) / 2, (e.port()->height() - 300) / 2));
        }
        {
            Editor e(SolidPicture(40, 30, kRed), 300, 200, kZoom3);
            QCOMPARE(e.port()->size(), QSize(300, 200));
            QVERIFY(!e.view.horizontalScrollBar()->isVisible());
            QVERIFY(!e.view.verticalScrollBar()->isVisible());
            QCOMPARE(GrabbedAt(e.port(), 89, 60), QColor(Qt::black).rgb());
            QCOMPARE(GrabbedAt(e.port(), 91, 56), QColor(Qt::red).rgb());
            QCOMPARE(GrabbedAt(e.port(), 90 + 119, 60),
                     e.view.palette().color(QPalette::Light).rgb());
            QCOMPARE(GrabbedAt(e.port(), 90 + 120, 60), QColor(Qt::black).rgb());
        }
    }

    void penBlockAtTheEdgeIsOneStep() {
        Editor e(SolidPicture(20, 20, kWhite), 300, 300);
        e.view.SetPenColor(MakeColorWord(255, 0, 0));
        e.view.HandleCommand(kPenSize5);
        QVERIFY(!e.UndoEnabled());
        QSignalSpy edited(&e.view, &CDotEditView::stateChanged);
        e.Click(e.At(1, 10));
        QCOMPARE(edited.count(), 1);
        QVERIFY(e.UndoEnabled());
        int painted = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                if (PixelAt(e.Working(), x, y) == kRed) {
                    ++painted;
                    QVERIFY(x <= 3 && y >= 8 && y <= 12);
                }
        QCOMPARE(painted, 4 * 5);
        // The commit went through to the base image.
        QVERIFY(SamePixels(e.Working(), e.pipeline.BaseImage()));
    }

    void hoverShowsTheFootprintWithoutPainting() {
        Editor e(SolidPicture(20, 20, kWhite), 300, 300);
        e.view.SetPenColor(MakeColorWord(0, 0, 255));
        QTest::mouseMove(e.port(), e.At(10, 10));
        // Pen size 3 at zoom 6: an 18-pixel square with a black frame just inside.
        const QPoint c = e.At(10, 10);
        QTRY_COMPARE(GrabbedAt(e.port(), c.x(), c.y()), QColor(Qt::blue).rgb());
        QCOMPARE(GrabbedAt(e.port(), c.x() - 3 - 6, c.y()), QColor(Qt::black).rgb());
        QCOMPARE(GrabbedAt(e.port(), c.x() - 3 - 6 + 1, c.y()), QColor(Qt::blue).rgb());
        QCOMPARE(PixelAt(e.Working(), 10, 10), kWhite);
        QVERIFY(!e.pipeline.UndoAvailable());
        // Moving on erases it.
        QTest::mouseMove(e.port(), e.At(2, 2));
        QTRY_COMPARE(GrabbedAt(e.port(), c.x(), c.y()), QColor(Qt::white).rgb());
    }

    void fillsOnRelease() {
        // Tolerance 20 around (100, 100, 100): (112, 116, 100) is in, (112, 116, 101) out.
        DibPtr picture = SolidPicture(10, 10, {0, 0, 0});
        for (int x = 0; x < 5; ++x)
            SetPixel(picture.get(), x, 0, {100, 100, 100});
        SetPixel(picture.get(), 5, 0, {112, 116, 100});
        SetPixel(picture.get(), 6, 0, {112, 116, 101});
        Editor e(std::move(picture), 300, 300);
        e.view.SetPenColor(MakeColorWord(0, 255, 0));
        e.view.HandleCommand(kFill);
        QCOMPARE(e.view.Tolerance(), 20);
        e.Click(e.At(0, 0));
        QCOMPARE(PixelAt(e.Working(), 5, 0), (Rgb{0, 255, 0}));
        QCOMPARE(PixelAt(e.Working(), 6, 0), (Rgb{112, 116, 101}));
        QCOMPARE(PixelAt(e.Working(), 0, 1), (Rgb{0, 0, 0}));

        // Tolerance 0 takes the exact colour only.
        e.view.HandleCommand(kTolerance0);
        e.view.SetPenColor(MakeColorWord(9, 9, 9));
        e.Click(e.At(9, 9));
        QCOMPARE(PixelAt(e.Working(), 5, 5), (Rgb{9, 9, 9}));
        QCOMPARE(PixelAt(e.Working(), 4, 0), (Rgb{0, 255, 0}));

        // A click on the black margin fills nothing but is still one undo step.
        DibPtr before(DibDuplicate(e.Working(), nullptr));
        e.Click(QPoint(2, 2));
        QVERIFY(SamePixels(e.Working(), before.get()));
        QVERIFY(e.pipeline.UndoBaseImage());
        QVERIFY(SamePixels(e.Working(), before.get()));
    }

    void fillsTheLargestPictureWhole() {
        Editor e(SolidPicture(180, 180, kWhite), 400, 400, kZoom3);
        e.view.HandleCommand(kFill);
        e.view.SetPenColor(MakeColorWord(255, 0, 0));
        e.Click(e.At(90, 90));
        QVERIFY(SamePixels(e.Working(), SolidPicture(180, 180, kRed).get()));
    }

    void eyedropperReturnsToThePreviousTool() {
        DibPtr picture = SolidPicture(20, 20, kWhite);
        SetPixel(picture.get(), 5, 5, {200, 10, 20});
        SetPixel(picture.get(), 6, 5, {10, 200, 20});
        Editor e(std::move(picture), 300, 300);
        // The colour selector stands behind this in the program; here the pick comes back
        // as the pen colour directly.
        QObject::connect(&e.view, &CDotEditView::colorPicked, &e.view, &CDotEditView::SetPenColor);
        QSignalSpy picked(&e.view, &CDotEditView::colorPicked);
        e.view.HandleCommand(kEyedropper);
        QCOMPARE(e.view.Tool(), int(kEyedropper));
        // Merely moving over the picture picks.
        QTest::mouseMove(e.port(), e.At(6, 5));
        QCOMPARE(e.view.PenColor(), MakeColorWord(10, 200, 20));
        e.Click(e.At(5, 5));
        QCOMPARE(e.view.PenColor(), MakeColorWord(200, 10, 20));
        QCOMPARE(e.view.Tool(), int(kPen));
        QVERIFY(!e.pipeline.UndoAvailable()); // picking is no edit
        QVERIFY(picked.count() >= 2);

        // From the fill, the eyedropper goes back to the fill.
        e.view.HandleCommand(kFill);
        e.view.HandleCommand(kEyedropper);
        e.Click(e.At(0, 0));
        QCOMPARE(e.view.Tool(), int(kFill));
        QCOMPARE(e.view.PenColor(), MakeColorWord(255, 255, 255));
    }

    void twoStrokesTwoUndos() {
        Editor e(testsupport::GradientPicture(30, 30), 300, 300);
        DibPtr original(DibDuplicate(e.Working(), nullptr));
        e.view.SetPenColor(MakeColorWord(0, 0, 0));
        // A stroke paints at the reported positions only.
        QTest::mousePress(e.port(), Qt::LeftButton, {}, e.At(3, 3));
        QTest::mouseMove(e.port(), e.At(10, 3));
        QTest::mouseRelease(e.port(), Qt::LeftButton, {}, e.At(10, 3));
        QCOMPARE(PixelAt(e.Working(), 10, 4), (Rgb{0, 0, 0}));
        QVERIFY(PixelAt(e.Working(), 6, 3) != (Rgb{0, 0, 0}));
        DibPtr afterFirst(DibDuplicate(e.Working(), nullptr));
        e.view.SetPenColor(MakeColorWord(255, 255, 0));
        e.Click(e.At(20, 20));
        QCOMPARE(PixelAt(e.Working(), 20, 20), (Rgb{255, 255, 0}));

        QVERIFY(e.UndoEnabled());
        e.view.HandleCommand(kUndo);
        QVERIFY(SamePixels(e.Working(), afterFirst.get()));
        e.view.HandleCommand(kUndo);
        QVERIFY(SamePixels(e.Working(), original.get()));
        QVERIFY(SamePixels(e.pipeline.BaseImage(), original.get()));
        QVERIFY(!e.UndoEnabled());
    }

    void handToolDragsThePicture() {
        Editor e(SolidPicture(100, 100, kWhite), 300, 300);
        e.view.HandleCommand(kHand);
        const QPoint start = e.At(50, 50);
        QTest::mousePress(e.port(), Qt::LeftButton, {}, start);
        QCOMPARE(e.port()->cursor().shape(), Qt::BitmapCursor);
        QTest::mouseMove(e.port(), start - QPoint(40, 25));
        QCOMPARE(e.view.horizontalScrollBar()->value(), 40);
        QCOMPARE(e.view.verticalScrollBar()->value(), 25);
        QTest::mouseRelease(e.port(), Qt::LeftButton, {}, start - QPoint(40, 25));
        QVERIFY(!e.pipeline.UndoAvailable());
    }

    void noWorkingCopyIgnoresEverything() {
        OutputPipeline pipeline;
        CDotEditView view;
        view.SetPhoneImage(&pipeline);
        view.resize(200, 200);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(!view.horizontalScrollBar()->isVisible());
        QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QVERIFY(!pipeline.UndoAvailable());
        QVERIFY(!pipeline.WorkingCopy());
    }
};

MOKOA_QT_TEST(DotEditTest);
#include "dot_edit_test.moc"
