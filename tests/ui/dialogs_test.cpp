#include "tests/common/qt_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/custom_size_dialog.h"
#include "ui/dialog_units.h"
#include "ui/file_filter.h"
#include "ui/integer_field.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void customSizeRefusals_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<bool>("widthFocused");
        const QString range = "20 から 180 までの整数を入力してください。";
        const QString integer = "整数を入力してください。";
        QTest::newRow("19") << "19"
                            << "80" << range << true;
        QTest::newRow("181") << "80"
                             << "181" << range << false;
        QTest::newRow("text") << "abc"
                              << "80" << integer << true;
        QTest::newRow("empty") << "80"
                               << "" << integer << false;
        QTest::newRow("decimal") << "80.5"
                                 << "80" << integer << true;
        QTest::newRow("huge") << "99999999999"
                              << "80" << integer << true;
    }
    void customSizeRefusals() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, prompt);
        QFETCH(bool, widthFocused);
        FakePrompts prompts;
        CCustomSizeDlg dialog(96, 130, &prompts);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.WidthEdit()->setText(width);
        dialog.HeightEdit()->setText(height);
        dialog.accept();
        QCOMPARE(prompts.messages, QStringList{prompt});
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(QApplication::focusWidget(),
                 widthFocused ? dialog.WidthEdit() : dialog.HeightEdit());
        QCOMPARE(dialog.Width(), 96);
        QCOMPARE(dialog.Height(), 130);
    }

    void customSizeAcceptsTheBounds() {
        FakePrompts prompts;
        CCustomSizeDlg dialog(80, 80, &prompts);
        QCOMPARE(dialog.WidthEdit()->text(), QString("80"));
        dialog.show();
        dialog.WidthEdit()->setText(" 180 ");
        dialog.HeightEdit()->setText("20");
        dialog.accept();
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Width(), 180);
        QCOMPARE(dialog.Height(), 20);
    }

    void integerFieldReading() {
        int value = 0;
        QCOMPARE(CheckIntegerField("-5", -10, 10, &value), IntegerFieldCheck::kOk);
        QCOMPARE(value, -5);
        QCOMPARE(CheckIntegerField("+7", 0, 10, &value), IntegerFieldCheck::kOk);
        QCOMPARE(CheckIntegerField("12 3", 0, 200, &value), IntegerFieldCheck::kNotInteger);
        QCOMPARE(CheckIntegerField("0x10", 0, 200, &value), IntegerFieldCheck::kNotInteger);
        QCOMPARE(CheckIntegerField("２０", 0, 200, &value), IntegerFieldCheck::kNotInteger);
    }

    void openFilterBecomesQtFilters() {
        const QString filter =
            "対応画像ファイル (*.jpg;*.png;*.bmp)|*.jpg;*.jpeg;*.png;*.bmp|PNG (*.png)|*.png|"
            "Graphic Interchange (*.gif)|*.gif;*.GIF|すべてのファイル (*.*)|*.*||";
        const QList<FileFilterEntry> entries = ParseFileFilter(filter);
        QCOMPARE(entries.size(), 4);
        QCOMPARE(entries[0].patterns, QString("*.jpg;*.jpeg;*.png;*.bmp"));
        QCOMPARE(ToQtFilters(entries),
                 QStringList({"対応画像ファイル (*.jpg *.jpeg *.png *.bmp)", "PNG (*.png)",
                              "Graphic Interchange (*.gif *.GIF)", "すべてのファイル (*)"}));
        // A description without patterns of its own gets them appended.
        QCOMPARE(ToQtFilters(ParseFileFilter("Pictures|*.pic|")), QStringList{"Pictures (*.pic)"});
        QVERIFY(ParseFileFilter("").isEmpty());
        QCOMPARE(ParseFileFilter("odd|").size(), 1);
        QCOMPARE(ParseFileFilter("odd").size(), 0);
    }

    void dialogUnitsFollowTheFont() {
        const DialogUnits units(6, 12);
        QCOMPARE(units.Rect(2, 43, 113, 160), QRect(3, 65, 170, 240));
        QCOMPARE(units.X(1), 2); // 1.5 rounds up, as the platform's multiply-divide does
        QCOMPARE(units.Y(-3), -5);
        const DialogUnits fromFont = DialogUnits::FromFont(DialogFont());
        QVERIFY(fromFont.baseX() > 3 && fromFont.baseX() < 12);
        QVERIFY(fromFont.baseY() > 8 && fromFont.baseY() < 30);
        // The Japanese font is present, so labels render rather than boxes.
        QVERIFY(QFontInfo(DialogFont()).family().contains("IPA"));
    }
};

MOKOA_QT_TEST(DialogsTest);
#include "dialogs_test.moc"
