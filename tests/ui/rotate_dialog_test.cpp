#include "image/transform.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/rotate_dialog.h"
#include "ui/rotate_geometry.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cstring>
#include <functional>

using testsupport::SamePixels;

namespace {

QPoint BoxCentre(const CRotateDlg& d) {
    const QRect box = d.PreviewBox();
    return box.topLeft() + QPoint(box.width() / 2, box.height() / 2);
}

void Drag(CRotateDlg& d, const QPoint& from, const QPoint& to) {
    QTest::mousePress(&d, Qt::LeftButton, {}, from);
    QTest::mouseMove(&d, to);
    QTest::mouseRelease(&d, Qt::LeftButton, {}, to);
}

// Works on the modal dialog once its loop runs.
void WhenModal(std::function<void(CRotateDlg*)> act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<CRotateDlg*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        act(dialog);
    });
}

} // namespace

class RotateDialogTest : public QObject {
    Q_OBJECT
private slots:
    void thumbnailAndBox_data() {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<int>("box");
        QTest::newRow("wide") << QSize(260, 130) << QSize(130, 65) << 145;
        QTest::newRow("square") << QSize(50, 50) << QSize(130, 130) << 183;
        QTest::newRow("tall") << QSize(100, 300) << QSize(43, 130) << 136;
        // A line of a picture still gets a thumbnail one pixel high.
        QTest::newRow("thin") << QSize(2000, 3) << QSize(130, 1) << 130;
    }
    void thumbnailAndBox() {
        QFETCH(QSize, picture);
        QFETCH(QSize, thumbnail);
        QFETCH(int, box);
        QCOMPARE(RotateThumbnailSize(picture.width(), picture.height()), thumbnail);
        QCOMPARE(PreviewBoxSide(thumbnail), box);
        DibPtr source = testsupport::GradientPicture(picture.width(), picture.height());
        FakePrompts prompts;
        CRotateDlg dialog(source.get(), &prompts);
        QVERIFY(dialog.Thumbnail());
        QCOMPARE(QSize(dialog.Thumbnail()->width, dialog.Thumbnail()->height), thumbnail);
        QCOMPARE(dialog.PreviewBox(), QRect(20, 10, box, box));
        QVERIFY(SamePixels(dialog.Preview(), dialog.Thumbnail()));
        QVERIFY(prompts.messages.isEmpty());
    }

    void dragRule() {
        const QPoint box(20, 10);
        const int d = 145; // centre (92, 82)
        QCOMPARE(DragSignsAt({92, 82}, box, d).sx, 1);
        QCOMPARE(DragSignsAt({92, 82}, box, d).sy, -1);
        QCOMPARE(DragSignsAt({93, 83}, box, d).sx, -1);
        QCOMPARE(DragSignsAt({93, 83}, box, d).sy, 1);
        // Each of the four clockwise moves turns by +5.
        const QPoint leftUpper(30, 20), rightLower(150, 140);
        QCOMPARE(DragAngle(0, leftUpper, leftUpper + QPoint(0, -5), DragSignsAt(leftUpper, box, d)),
                 5);
        QCOMPARE(DragAngle(0, leftUpper, leftUpper + QPoint(5, 0), DragSignsAt(leftUpper, box, d)),
                 5);
        QCOMPARE(
            DragAngle(0, rightLower, rightLower + QPoint(0, 5), DragSignsAt(rightLower, box, d)),
            5);
        QCOMPARE(
            DragAngle(0, rightLower, rightLower + QPoint(-5, 0), DragSignsAt(rightLower, box, d)),
            5);
        QCOMPARE(DragAngle(350, leftUpper, leftUpper + QPoint(0, -15), {1, -1}), 5);
        QCOMPARE(DragAngle(0, {0, 0}, {0, 2000000000}, {1, -1}), ReduceAngle(-2000000000));
        QCOMPARE(ReduceAngle(-1), 359);
        QCOMPARE(ReduceAngle(720), 0);
        QCOMPARE(ReduceAngle(450), 90);
    }

    void dragsTurnThePreview() {
        DibPtr source = testsupport::GradientPicture(260, 130);
        FakePrompts prompts;
        CRotateDlg dialog(source.get(), &prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // Pressed exactly at the centre: the left and upper half.
        const QPoint centre = BoxCentre(dialog);
        QTest::mousePress(&dialog, Qt::LeftButton, {}, centre);
        QVERIFY(dialog.Dragging());
        QTest::mouseMove(&dialog, centre - QPoint(0, 370));
        QCOMPARE(dialog.Angle(), 10);
        QCOMPARE(dialog.AngleEdit()->text(), QString("0")); // not updated during the drag
        DibPtr expected(RotateImage(10, dialog.Thumbnail()));
        QVERIFY(SamePixels(dialog.Preview(), expected.get()));
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, centre - QPoint(0, 370));
        QCOMPARE(dialog.AngleEdit()->text(), QString("10"));

        // The next drag starts from the edit box's angle: 10 and 30 pixels down is 340.
        const QPoint left = dialog.PreviewBox().topLeft() + QPoint(5, 40);
        Drag(dialog, left, left + QPoint(0, 30));
        QCOMPARE(dialog.Angle(), 340);
        dialog.AngleEdit()->setText("0");
        Drag(dialog, left, left + QPoint(0, 30));
        QCOMPARE(dialog.Angle(), 330);
        QCOMPARE(dialog.AngleEdit()->text(), QString("330"));

        // A press outside the box (its right edge is outside) does nothing.
        const QRect box = dialog.PreviewBox();
        QTest::mousePress(&dialog, Qt::LeftButton, {},
                          QPoint(box.left() + box.width(), box.top() + 5));
        QVERIFY(!dialog.Dragging());
        QTest::mouseRelease(&dialog, Qt::LeftButton, {}, QPoint(box.left() + box.width(), 15));
        QCOMPARE(dialog.Angle(), 330);
        QVERIFY(prompts.messages.isEmpty());
    }

    void typedAngles() {
        DibPtr source = testsupport::GradientPicture(60, 30);
        FakePrompts prompts;
        CRotateDlg dialog(source.get(), &prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.AngleEdit()->setText("45");
        QCOMPARE(dialog.Angle(), 45);
        QCOMPARE(dialog.Preview()->width, 137); // 130 x 65 turned by 45 degrees
        // Outside 0..359: the same turn, never one of the flips behind 360 and 450.
        dialog.AngleEdit()->setText("450");
        QCOMPARE(dialog.Angle(), 90);
        DibPtr turned = dialog.Rotated();
        QCOMPARE(QSize(turned->width, turned->height), QSize(30, 60));
        DibPtr quarter(RotateImage(90, source.get()));
        QVERIFY(SamePixels(turned.get(), quarter.get()));
        dialog.AngleEdit()->setText("360");
        QCOMPARE(dialog.Angle(), 0);
        QVERIFY(SamePixels(dialog.Rotated().get(), source.get()));
        dialog.AngleEdit()->setText("-90");
        QCOMPARE(dialog.Angle(), 270);

        // No number: the message, and the angle stays.
        dialog.AngleEdit()->setText("-");
        QCOMPARE(prompts.messages, QStringList{"整数を入力してください。"});
        QCOMPARE(dialog.Angle(), 270);
        dialog.accept();
        QCOMPARE(prompts.messages.size(), 2);
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.AngleEdit());

        // The spin button steps within 0..359 without wrapping.
        dialog.AngleEdit()->setText("359");
        dialog.SpinUp()->click();
        QCOMPARE(dialog.AngleEdit()->text(), QString("359"));
        dialog.AngleEdit()->setText("0");
        dialog.SpinDown()->click();
        QCOMPARE(dialog.AngleEdit()->text(), QString("0"));
        dialog.SpinUp()->click();
        QCOMPARE(dialog.Angle(), 1);
    }

    void okAndCancel() {
        DibPtr source = testsupport::GradientPicture(40, 20);
        DibPtr before(DibDuplicate(source.get(), nullptr));
        FakePrompts prompts;
        // Cancel after a drag: nothing comes back and the source is untouched.
        WhenModal([](CRotateDlg* d) {
            const QPoint c = BoxCentre(*d);
            Drag(*d, c, c - QPoint(0, 33));
            QCOMPARE(d->Angle(), 33);
            d->reject();
        });
        QVERIFY(!CRotateDlg::Run(source.get(), &prompts));
        QVERIFY(SamePixels(source.get(), before.get()));

        // OK at angle 0: an unrotated copy.
        WhenModal([](CRotateDlg* d) { d->accept(); });
        DibPtr same = CRotateDlg::Run(source.get(), &prompts);
        QVERIFY(SamePixels(same.get(), source.get()));
        QVERIFY(same.get() != source.get());

        // OK after a drag turns the full picture, not the thumbnail.
        WhenModal([](CRotateDlg* d) {
            const QPoint c = BoxCentre(*d);
            Drag(*d, c, c - QPoint(0, 30));
            d->accept();
        });
        DibPtr turned = CRotateDlg::Run(source.get(), &prompts);
        DibPtr expected(RotateImage(30, source.get()));
        QVERIFY(SamePixels(turned.get(), expected.get()));
        QVERIFY(prompts.messages.isEmpty());
    }
};

MOKOA_QT_TEST(RotateDialogTest);
#include "rotate_dialog_test.moc"
