#include "desktop/settings_store.h"
#include "image/transform.h"
#include "phone/phone_image_document.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/color_selector.h"
#include "ui/color_swatch.h"
#include "ui/command_ids.h"
#include "ui/dot_edit_view.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/rotate_dialog.h"
#include "ui/screen_capture.h"
#include "ui/source_view.h"
#include "ui/tone_dialogs.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>

#include <cstring>
#include <functional>

using namespace cmd;
using testsupport::PixelAt;
using testsupport::Rgb;
using testsupport::SamePixels;

namespace {

// Acts on the modal dialog of type T once its loop runs.
template <typename T> void WhenModal(std::function<void(T*)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
    });
}

struct Frame {
    FakePrompts prompts;
    CMainFrame frame{&prompts};
    Frame(int width = 120, int height = 90) {
        frame.Document().SetPicture(testsupport::GradientPicture(width, height));
        frame.show();
        (void)QTest::qWaitForWindowExposed(&frame);
    }
    const PackedDib* Picture() const { return frame.Document().Picture(); }
    CDotEditView* editor() const { return frame.DotEditor(); }
    QPoint At(int x, int y) const {
        const DotEditGeometry g = editor()->Geometry();
        return {g.originX + x * g.zoom + g.zoom / 2, g.originY + y * g.zoom + g.zoom / 2};
    }
    void Click(QPoint p) {
        QTest::mousePress(editor()->viewport(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(editor()->viewport(), Qt::LeftButton, {}, p);
    }
};

} // namespace

class FrameToolsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void dotEditModeEditsThePhonePicture() {
        Frame f;
        QVERIFY(f.frame.Document().Pipeline().OutputImage());
        f.frame.RunCommand(kDotEdit);
        QCOMPARE(f.frame.Mode(), int(kDotEdit));
        QVERIFY(f.editor()->isVisible());
        QVERIFY(!f.frame.SourceView()->isVisible());
        QVERIFY(f.frame.DotEditToolBar()->isVisible());
        QVERIFY(!f.frame.AdjustToolBar()->isVisible());
        QVERIFY(f.frame.Action(kPen)->isChecked());
        QVERIFY(f.frame.Action(kZoom6)->isChecked());
        QVERIFY(f.frame.Action(kTolerance20)->isChecked());
        QVERIFY(!f.frame.Action(kUndo)->isEnabled());

        const OutputPipeline& pipeline = f.frame.Document().Pipeline();
        const PackedDib* working = pipeline.WorkingCopy();
        DibPtr before(DibDuplicate(working, nullptr));

        // The eyedropper's pick goes through the colour selector to the pen.
        f.frame.RunCommand(kEyedropper);
        QVERIFY(f.frame.Action(kEyedropper)->isChecked());
        const Rgb picked = PixelAt(working, 40, 10);
        f.Click(f.At(40, 10));
        const ColorWord word = MakeColorWord(picked[0], picked[1], picked[2]);
        QCOMPARE(f.frame.OutputPanel()->ColorSelector()->CurrentColor(), word);
        QCOMPARE(f.frame.OutputPanel()->Swatch()->Color(), word);
        QCOMPARE(f.editor()->PenColor(), word);
        QVERIFY(f.frame.Action(kPen)->isChecked());

        // A stroke, through the menu commands, then undo from the frame.
        f.frame.RunCommand(kPenSize1);
        f.Click(f.At(5, 5));
        QCOMPARE(PixelAt(f.frame.Document().Pipeline().WorkingCopy(), 5, 5), picked);
        QVERIFY(f.frame.Action(kUndo)->isEnabled());
        f.frame.RunCommand(kUndo);
        QVERIFY(SamePixels(pipeline.WorkingCopy(), before.get()));
        QVERIFY(!f.frame.Action(kUndo)->isEnabled());

        // The zoom command changes the view, and the check mark follows.
        f.frame.RunCommand(kZoom9);
        QCOMPARE(f.editor()->Zoom(), 9);
        QVERIFY(f.frame.Action(kZoom9)->isChecked());
        QVERIFY(!f.frame.Action(kZoom6)->isChecked());

        // Back to area selection.
        f.frame.RunCommand(kAreaSelect);
        QVERIFY(!f.editor()->isVisible());
        QVERIFY(f.frame.AdjustToolBar()->isVisible());
    }

    void dropDownOpensTheSubmenuUnderTheButton() {
        Frame f;
        f.frame.RunCommand(kDotEdit);
        QWidget* button = f.frame.DotEditToolBar()->widgetForAction(f.frame.Action(kPenSizeMenu));
        QVERIFY(button && button->isVisible());
        QTimer::singleShot(0, [button] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QCOMPARE(menu->title(), QString("ペン先の幅"));
            QCOMPARE(menu->pos(), button->mapToGlobal(QPoint(0, button->height())));
            menu->close();
        });
        f.frame.RunCommand(kPenSizeMenu);
        QTRY_VERIFY(!QApplication::activePopupWidget());
    }

    void freeRotationTurnsTheSourcePicture() {
        Frame f(120, 90);
        DibPtr before(DibDuplicate(f.Picture(), nullptr));
        WhenModal<CRotateDlg>([](CRotateDlg* d) {
            d->AngleEdit()->setText("30");
            d->accept();
        });
        f.frame.RunCommand(kFreeRotation);
        DibPtr expected(RotateImage(30, before.get()));
        QVERIFY(SamePixels(f.Picture(), expected.get()));
        QCOMPARE(f.frame.SourceView()->Selection(), f.frame.SourceView()->Layout().rect);

        WhenModal<CRotateDlg>([](CRotateDlg* d) {
            d->AngleEdit()->setText("90");
            d->reject();
        });
        f.frame.RunCommand(kFreeRotation);
        QVERIFY(SamePixels(f.Picture(), expected.get()));
    }

    void toneDialogsKeepOrRestoreTheSource() {
        Frame f;
        DibPtr before(DibDuplicate(f.Picture(), nullptr));
        WhenModal<CBrightnessContrastDlg>([&f](CBrightnessContrastDlg* d) {
            QVERIFY(f.frame.AdjustDialogOpen());
            d->BrightnessSlider()->setValue(80);
            QTest::mouseRelease(d->BrightnessSlider(), Qt::LeftButton, {}, QPoint(1, 1));
            d->reject();
        });
        f.frame.RunCommand(kBrightness);
        QVERIFY(!f.frame.AdjustDialogOpen());
        QVERIFY(SamePixels(f.Picture(), before.get()));

        // OK keeps the adjusted picture, and the phone picture is made from it.
        WhenModal<CColorComponentDlg>([](CColorComponentDlg* d) {
            d->Edit(0)->setText("300");
            d->accept();
        });
        f.frame.RunCommand(kColorComponents);
        const ComponentOffsets offsets{300, 0, 0};
        DibPtr expected(
            ApplyPixelOperation(before.get(), nullptr, RgbOffsetOp, OffsetsParam(offsets)));
        QVERIFY(SamePixels(f.Picture(), expected.get()));
        QCOMPARE(PixelAt(f.frame.Document().Pipeline().BaseImage(), 0, 0)[0], uint8_t(255));
    }

    void captureIsIgnoredUnderAnAdjustDialog() {
        Frame f;
        f.frame.RunCommand(kCapture);
        CScreenCapture* capture = f.frame.CaptureWindow();
        QVERIFY(capture);
        QVERIFY(QTest::qWaitForWindowExposed(capture));
        f.frame.RunCommand(kCapture); // one window at a time
        QCOMPARE(f.frame.CaptureWindow(), capture);
        DibPtr before(DibDuplicate(f.Picture(), nullptr));

        WhenModal<CBrightnessContrastDlg>([&](CBrightnessContrastDlg* d) {
            capture->Capture();
            QVERIFY(!capture->Captured().isNull());
            QCoreApplication::sendPostedEvents(&f.frame);
            d->reject();
        });
        f.frame.RunCommand(kBrightness);
        QVERIFY(SamePixels(f.Picture(), before.get()));
        QCOMPARE(f.frame.DocumentName(), QString("新規携帯画像"));

        // Without a dialog the capture becomes the source picture.
        capture->Capture();
        QCoreApplication::sendPostedEvents(&f.frame);
        QCOMPARE(f.frame.DocumentName(), QString("capture"));
        QCOMPARE(QSize(f.Picture()->width, f.Picture()->height), capture->HoleRect().size());
        QCOMPARE(f.Picture()->bitCount, uint16_t(24));

        capture->close();
        QTRY_VERIFY(!f.frame.CaptureWindow());
        f.frame.RunCommand(kCapture);
        QVERIFY(f.frame.CaptureWindow());
    }

    void captureWindowStandsAloneButGoesWithTheFrame() {
        QPointer<CScreenCapture> capture;
        {
            Frame f;
            f.frame.RunCommand(kCapture);
            capture = f.frame.CaptureWindow();
            QVERIFY(QTest::qWaitForWindowExposed(capture));
            // Not transient for the frame, which the window manager would minimise it with.
            QVERIFY(!capture->parentWidget());
            QVERIFY(!capture->windowHandle()->transientParent());
        }
        QVERIFY(!capture);
    }
};

MOKOA_QT_TEST(FrameToolsTest);
#include "frame_tools_test.moc"
