#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/tone_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QTest>

#include <cstring>

using testsupport::SamePixels;

namespace {

// Stands in for the source view: holds the picture and counts the exchanges.
class FakeTarget : public AdjustTarget {
public:
    explicit FakeTarget(DibPtr picture) : picture_(std::move(picture)) {}
    const PackedDib* Picture() const override { return picture_.get(); }
    DibPtr ExchangePicture(DibPtr picture) override {
        ++exchanges;
        std::swap(picture, picture_);
        return picture;
    }
    int exchanges = 0;

private:
    DibPtr picture_;
};

DibPtr Applied(const PackedDib* start, PixelOperation op, intptr_t param) {
    return DibPtr(ApplyPixelOperation(start, nullptr, op, param));
}

DibPtr Offset(const PackedDib* start, bool rgb, int a, int b, int c) {
    const ComponentOffsets o{int16_t(a), int16_t(b), int16_t(c)};
    return Applied(start, rgb ? RgbOffsetOp : YCrCbOffsetOp, OffsetsParam(o));
}

// A click on the groove right of the thumb (the ticks take the lower part): one page step
// up, then the release.
void PageUp(QSlider* slider) {
    QTest::mouseClick(slider, Qt::LeftButton, {},
                      QPoint(slider->width() - 3, slider->height() / 3));
}

void Release(QSlider* slider, int value) {
    slider->setValue(value);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(1, 1));
}

} // namespace

class ToneDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void brightnessFollowsReleasesAndCancelRestores() {
        const PackedDib* original = nullptr;
        DibPtr reference = testsupport::GradientPicture(64, 48);
        FakeTarget target(DibPtr(DibDuplicate(reference.get(), nullptr)));
        original = target.Picture();
        CBrightnessContrastDlg dialog(&target);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.BrightnessSlider()->minimum(), -255);
        QCOMPARE(dialog.ContrastSlider()->maximum(), 100);
        QCOMPARE(dialog.BrightnessSlider()->pageStep(), 10);
        QVERIFY(!dialog.HasPreview());

        PageUp(dialog.BrightnessSlider());
        QCOMPARE(dialog.BrightnessSlider()->value(), 10);
        QVERIFY(SamePixels(
            target.Picture(),
            Applied(reference.get(), BrightnessContrastOp, BrightnessContrastParam(10, 0)).get()));
        // Every change starts again from the starting picture: no accumulation.
        Release(dialog.ContrastSlider(), 50);
        Release(dialog.BrightnessSlider(), -40);
        QVERIFY(SamePixels(target.Picture(), Applied(reference.get(), BrightnessContrastOp,
                                                     BrightnessContrastParam(-40, 50))
                                                 .get()));
        QVERIFY(SamePixels(dialog.StartingPicture(), reference.get()));

        dialog.reject();
        QCOMPARE(target.Picture(), original); // the very same picture is back
        QVERIFY(SamePixels(target.Picture(), reference.get()));
    }

    void okKeepsThePreview() {
        DibPtr reference = testsupport::GradientPicture(20, 10);
        {
            FakeTarget target(DibPtr(DibDuplicate(reference.get(), nullptr)));
            CBrightnessContrastDlg dialog(&target);
            dialog.accept(); // untouched: nothing changes
            QCOMPARE(target.exchanges, 0);
            QVERIFY(SamePixels(target.Picture(), reference.get()));
        }
        FakeTarget target(DibPtr(DibDuplicate(reference.get(), nullptr)));
        {
            CBrightnessContrastDlg dialog(&target);
            Release(dialog.ContrastSlider(), -100);
            dialog.accept();
        }
        DibPtr grey = testsupport::SolidPicture(20, 10, {127, 127, 127});
        QVERIFY(SamePixels(target.Picture(), grey.get()));
        QCOMPARE(target.exchanges, 1);

        // A dialog that goes away without a result restores.
        {
            CBrightnessContrastDlg dialog(&target);
            Release(dialog.BrightnessSlider(), 255);
        }
        QVERIFY(SamePixels(target.Picture(), grey.get()));
    }

    void componentParsing() {
        QCOMPARE(ParseComponentText("  12abc"), int16_t(12));
        QCOMPARE(ParseComponentText("-7"), int16_t(-7));
        QCOMPARE(ParseComponentText("+5"), int16_t(5));
        QCOMPARE(ParseComponentText(""), int16_t(0));
        QCOMPARE(ParseComponentText("-"), int16_t(0));
        QCOMPARE(ParseComponentText("x9"), int16_t(0));
        QCOMPARE(ParseComponentText("300"), int16_t(300));
        QCOMPARE(ParseComponentText("70000"), int16_t(4464)); // kept in 16 bits
    }

    void colourTypesKeepTheirOwnTriples() {
        DibPtr reference = testsupport::GradientPicture(32, 16);
        FakeTarget target(DibPtr(DibDuplicate(reference.get(), nullptr)));
        FakePrompts prompts;
        CColorComponentDlg dialog(&target, &prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(dialog.TypeList()->currentText(), QString("RGB"));
        QCOMPARE(dialog.Label(1)->text(), QString("G : "));
        QCOMPARE(dialog.Edit(0)->text(), QString("0"));
        QCOMPARE(target.exchanges, 0);

        dialog.Edit(0)->setText("10");
        dialog.Edit(1)->setText("20");
        dialog.Edit(2)->setText("30");
        QCOMPARE(dialog.Slider(2)->value(), 30);
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), true, 10, 20, 30).get()));

        // The first switch to YCrCb shows and applies (0, 0, 0).
        dialog.TypeList()->setCurrentIndex(1);
        QCOMPARE(dialog.Label(1)->text(), QString("Cr : "));
        QCOMPARE(dialog.Label(2)->text(), QString("Cb : "));
        QCOMPARE(dialog.Edit(0)->text(), QString("0"));
        QCOMPARE(dialog.Slider(1)->value(), 0);
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), false, 0, 0, 0).get()));
        Release(dialog.Slider(0), -15);
        QCOMPARE(dialog.Edit(0)->text(), QString("-15"));
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), false, -15, 0, 0).get()));

        // Back to RGB: its own values, never combined with the YCrCb ones.
        dialog.TypeList()->setCurrentIndex(0);
        QCOMPARE(dialog.Edit(1)->text(), QString("20"));
        QCOMPARE(dialog.Slider(0)->value(), 10);
        QCOMPARE(dialog.Values().third, int16_t(30));
        QCOMPARE(dialog.Remembered(CColorComponentDlg::kYCrCb).first, int16_t(-15));
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), true, 10, 20, 30).get()));
        dialog.TypeList()->setCurrentIndex(1);
        QCOMPARE(dialog.Edit(0)->text(), QString("-15"));

        dialog.reject();
        QVERIFY(SamePixels(target.Picture(), reference.get()));
    }

    void typedValuesBeyondTheRange() {
        DibPtr reference = testsupport::GradientPicture(16, 16);
        FakeTarget target(DibPtr(DibDuplicate(reference.get(), nullptr)));
        FakePrompts prompts;
        CColorComponentDlg dialog(&target, &prompts);
        dialog.Edit(2)->setText("300");
        QCOMPARE(dialog.Slider(2)->value(), 255); // shown at the end
        QCOMPARE(dialog.Values().third, int16_t(300));
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), true, 0, 0, 300).get()));
        for (int y = 0; y < 16; ++y)
            QCOMPARE(testsupport::PixelAt(target.Picture(), 3, y)[2], uint8_t(255));

        // While typing, "12abc" counts as 12; OK refuses it.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.Edit(1)->setText("12abc");
        QCOMPARE(dialog.Values().second, int16_t(12));
        dialog.accept();
        QCOMPARE(prompts.messages, QStringList{"整数を入力してください。"});
        QVERIFY(dialog.isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog.Edit(1));
        dialog.Edit(1)->setText(" 12 ");
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QVERIFY(SamePixels(target.Picture(), Offset(reference.get(), true, 0, 12, 300).get()));
    }
};

MOKOA_QT_TEST(ToneDialogsTest);
#include "tone_dialogs_test.moc"
