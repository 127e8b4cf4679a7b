#include "desktop/settings_store.h"
#include "image/dib.h"
#include "phone/phone_image_document.h"
#include "phone/selection.h"
#include "tests/common/qt_test_support.h"
#include "tests/common/test_pictures.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/custom_size_dialog.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/source_view.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <memory>

using namespace cmd;
using testsupport::SamePixels;

namespace {

// Long enough for a fit on a busy machine; the tests wait for what happens, not for a time.
constexpr int kFitWait = 60000;

QByteArray ReadBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString MakePicture(const QTemporaryDir& dir, const char* name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, 120));
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

} // namespace

class OutputPanelTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void firstStartWithoutSettings() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        COutputPanel* panel = frame.OutputPanel();
        QCOMPARE(panel->Profiles()->count(), 152);
        QCOMPARE(panel->Profiles()->currentIndex(), 0);
        QCOMPARE(panel->Profiles()->currentText(), QString("カスタムサイズ 80x80"));
        QCOMPARE(panel->Profiles()->itemText(16), QString("J-SH04(壁紙)"));
        QCOMPARE(frame.windowTitle(), QString("モコア カスタムサイズ 80x80  [80 x 80]"));
        QCOMPARE(panel->Formats()->count(), 22);
        QCOMPARE(panel->Formats()->itemText(21), QString("PNG 高画質 256色"));
        QCOMPARE(panel->Formats()->currentText(), QString("PNG 最適化 12色"));
        QCOMPARE(frame.Document().TargetWidth(), 80);
        QVERIFY(!frame.Document().Pipeline().OutputImage());
        QCOMPARE(panel->PhonePicture().size(), QSize(193, 472));
    }

    void customSizeReplacesTheFirstEntryAndSelectsIt() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        COutputPanel* panel = frame.OutputPanel();
        panel->Profiles()->setCurrentIndex(16);
        QCOMPARE(frame.windowTitle(), QString("モコア J-SH04(壁紙)  [96 x 130]"));
        // Through the command and its dialog, answered as a user would.
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<CCustomSizeDlg*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->WidthEdit()->text(), QString("80"));
            dialog->WidthEdit()->setText("180");
            dialog->HeightEdit()->setText("20");
            dialog->accept();
        });
        frame.RunCommand(kCustomSize);
        QCOMPARE(panel->Profiles()->currentIndex(), 0);
        QCOMPARE(panel->Profiles()->itemText(0), QString("カスタムサイズ 180x20"));
        QCOMPARE(frame.Document().TargetWidth(), 180);
        QCOMPARE(frame.Document().TargetHeight(), 20);
        QCOMPARE(frame.windowTitle(), QString("モコア カスタムサイズ 180x20  [180 x 20]"));

        // Cancel changes nothing.
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        frame.RunCommand(kCustomSize);
        QCOMPARE(frame.Document().Profile().CustomWidth(), 180);
    }

    void choicesAreRememberedAtExit() {
        {
            FakePrompts prompts;
            CMainFrame frame(&prompts);
            frame.Document().SetCustomSize(100, 50);
            frame.OutputPanel()->Profiles()->setCurrentIndex(1);
            frame.OutputPanel()->Formats()->setCurrentIndex(13);
        }
        {
            auto settings = OpenUserSettings();
            QCOMPARE(settings->value("SETTING/SELECT_PROFILE").toInt(), 1);
            QCOMPARE(settings->value("SETTING/SELECT_FFORMAT").toInt(), 13);
            QCOMPARE(settings->value("SETTING/CUSTSIZE_WIDTH").toInt(), 100);
        }
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QCOMPARE(frame.Document().TargetWidth(), 48);
        QCOMPARE(frame.Document().TargetHeight(), 35);
        QCOMPARE(frame.OutputPanel()->Formats()->currentText(), QString("JPEG 80%"));
        QCOMPARE(frame.OutputPanel()->Profiles()->itemText(0), QString("カスタムサイズ 100x50"));
    }

    void previewCentresTheOutputInTheScreenArea() {
        QTemporaryDir dir;
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.resize(900, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.OutputPanel()->Formats()->setCurrentIndex(10); // full colour, pixels unchanged
        frame.OpenPictureFile(MakePicture(dir, "p.png", 200, 200));
        const QImage preview = frame.OutputPanel()->Preview()->grab().toImage();
        // 80 x 80 target at (55, 100): red outline under the output, output inside.
        const PackedDib* output = frame.Document().Pipeline().OutputImage();
        QVERIFY(output);
        QCOMPARE(QSize(DibWidth(output), DibHeight(output)), QSize(80, 80));
        const QImage phone = frame.OutputPanel()->PhonePicture();
        QCOMPARE(preview.pixel(10, 10), phone.pixel(10, 10));
        QVERIFY(preview.pixel(55 + 40, 100 + 40) != phone.pixel(55 + 40, 100 + 40));
    }

    void commandsFollowTheLoadedPicture() {
        QTemporaryDir dir;
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.OpenDroppedUrls({QUrl::fromLocalFile(MakePicture(dir, "cat.png", 64, 48))});
        QVERIFY(frame.Document().HasPicture());
        for (int id :
             {kSave, kSizeCheck, kCopyPhoneImage, kWebServer, kAreaSelect, kDotEdit, kRotateRight,
              kFlipVertical, kFreeRotation, kBrightness, kColorComponents, kScaleMenu})
            QVERIFY2(frame.Action(id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!frame.Action(kUndo)->isEnabled());

        // Two committed edits can be undone twice, then the command is off again.
        frame.Document().CommitWorkingCopy();
        frame.Document().CommitWorkingCopy();
        frame.UpdateCommandUi();
        QVERIFY(frame.Action(kUndo)->isEnabled());
        frame.RunCommand(kUndo);
        frame.RunCommand(kUndo);
        QVERIFY(!frame.Action(kUndo)->isEnabled());

        // A right-angle turn swaps the picture's sides and starts from the whole picture.
        const PackedDib* before = frame.Document().Pipeline().BaseImage();
        frame.RunCommand(kRotateRight);
        QCOMPARE(DibWidth(frame.Document().Picture()), 48);
        QCOMPARE(DibHeight(frame.Document().Picture()), 64);
        QCOMPARE(frame.SourceView()->Selection(), frame.SourceView()->Layout().rect);
        QVERIFY(frame.Document().Pipeline().BaseImage() != before);
        frame.RunCommand(kFlipHorizontal);
        QCOMPARE(DibWidth(frame.Document().Picture()), 48);

        // Dot editing and back: the bars and the pane follow the mode.
        frame.RunCommand(kDotEdit);
        QCOMPARE(frame.Mode(), int(kDotEdit));
        QVERIFY(frame.AdjustToolBar()->isHidden());
        QVERIFY(!frame.DotEditToolBar()->isHidden());
        QVERIFY(frame.Action(kDotEdit)->isChecked());
        QVERIFY(!frame.Action(kAspectLock)->isChecked());
        // Opening returns to area selection.
        frame.OpenDroppedUrls({QUrl::fromLocalFile(MakePicture(dir, "dog.png", 30, 30))});
        QCOMPARE(frame.Mode(), int(kAreaSelect));
    }

    void pasteAndCopyGoThroughTheClipboard() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(qRgb(10, 200, 30));
        QApplication::clipboard()->setImage(picture);
        frame.RunCommand(kPasteSource);
        QCOMPARE(frame.DocumentName(), QString("clipboard"));
        QVERIFY(frame.Document().HasPicture());
        QCOMPARE(DibWidth(frame.Document().Picture()), 40);

        QApplication::clipboard()->clear();
        frame.RunCommand(kCopyPhoneImage);
        const QImage copied = QApplication::clipboard()->image();
        const PackedDib* output = frame.Document().Pipeline().OutputImage();
        QCOMPARE(copied.size(), QSize(DibWidth(output), DibHeight(output)));
        QCOMPARE(QColor(copied.pixel(5, 5)).green(), 200);

        // Nothing suitable on the clipboard: nothing happens.
        QApplication::clipboard()->setText("words");
        frame.SetDocumentName("kept");
        frame.RunCommand(kPasteSource);
        QCOMPARE(frame.DocumentName(), QString("kept"));
        QVERIFY(frame.Document().HasPicture());
    }

    void fitFollowsTheSelectionUntilAnotherFormatIsChosen() {
        QTemporaryDir dir;
        FakePrompts prompts;
        auto frame = std::make_unique<CMainFrame>(&prompts);
        PhoneImageDocument& document = frame->Document();
        frame->UpdateCommandUi();
        QVERIFY(!frame->Action(kFitJSky)->isEnabled()); // nothing to fit yet
        // The button beside the list offers both carriers.
        const QMenu* menu = frame->OutputPanel()->FitButton()->menu();
        QVERIFY(menu);
        QCOMPARE(menu->actions(),
                 QList<QAction*>({frame->Action(kFitJSky), frame->Action(kFitEZweb)}));

        const QString picture = MakePicture(dir, "p.png", 200, 200);
        frame->OpenPictureFile(picture);
        COutputPanel* panel = frame->OutputPanel();
        panel->Formats()->setCurrentIndex(13);
        frame->RunCommand(kFitJSky);
        QVERIFY(document.LiveFitOn());
        QVERIFY(frame->Action(kFitJSky)->isChecked());
        QVERIFY(panel->FitButton()->isChecked());
        QTRY_VERIFY_WITH_TIMEOUT(!document.LiveFitRunning(), kFitWait);
        QCOMPARE(panel->Formats()->count(), 23);
        QCOMPARE(panel->Formats()->currentIndex(), 22);
        QCOMPARE(panel->Formats()->currentText(),
                 QString::fromStdString(document.Pipeline().FormatText(22)));
        QVERIFY(panel->Formats()->currentText().contains("高画質"));

        // A new selection returns with its fit still out, and the entry says so; the result
        // that follows is the one the command-line converter's document finds.
        const ImageRect selection{20, 30, 140, 190};
        QVERIFY(document.SetSelection(selection));
        QVERIFY(document.LiveFitRunning());
        QVERIFY(panel->Formats()->currentText().startsWith("(合わせ中…)"));
        QTRY_VERIFY_WITH_TIMEOUT(!document.LiveFitRunning(), kFitWait);
        QCOMPARE(panel->Formats()->currentText(),
                 QString::fromStdString(document.Pipeline().FormatText(22)));
        PhoneImageDocument alone(document.Settings());
        QVERIFY(alone.OpenPicture(picture.toStdString()).loaded);
        QVERIFY(alone.SetSelection(selection));
        const FitResult fit = alone.FitToLimit(Carrier::JSky);
        QVERIFY(fit.fits && fit.file);
        QCOMPARE(ReadBytes(document.Pipeline().TempOutputPath()),
                 QByteArray(reinterpret_cast<const char*>(fit.file->data()), fit.file->size()));
        const SizeCheckResult check = document.CheckSize();
        QVERIFY(check.size <= 6000);
        QVERIFY(prompts.messages.isEmpty());

        // The same command again leaves the mode and keeps the fitted format.
        frame->RunCommand(kFitJSky);
        QVERIFY(!document.LiveFitOn());
        QVERIFY(!panel->FitButton()->isChecked());
        QCOMPARE(panel->Formats()->currentIndex(), 22);

        // Another carrier; choosing a list entry ends the mode, and nothing follows then.
        frame->RunCommand(kFitEZweb);
        QTRY_VERIFY_WITH_TIMEOUT(!document.LiveFitRunning(), kFitWait);
        QCOMPARE(panel->Formats()->count(), 23);
        QVERIFY(document.Pipeline().IsPng());
        QVERIFY(document.CheckSize().size <= 7000);
        panel->Formats()->setCurrentIndex(2);
        QVERIFY(!document.LiveFitOn());
        QVERIFY(!frame->Action(kFitEZweb)->isChecked());
        QVERIFY(document.SetSelection({0, 0, 100, 100}));
        QVERIFY(!document.LiveFitRunning());
        QCOMPARE(document.Pipeline().ColorCount(), 8);

        // Closing the window with a fit out neither waits for it nor hears of it.
        frame->RunCommand(kFitJSky);
        QVERIFY(document.SetSelection({10, 10, 190, 190}));
        QVERIFY(document.LiveFitRunning());
        frame.reset();
    }

    void resamplingControlAndMenuMakeTheBaseAndAreRemembered() {
        QTemporaryDir dir;
        const QString picture = MakePicture(dir, "p.png", 300, 200);
        {
            FakePrompts prompts;
            CMainFrame frame(&prompts);
            PhoneImageDocument& document = frame.Document();
            QComboBox* control = frame.OutputPanel()->Resampling();
            QCOMPARE(control->currentIndex(), 0); // auto without a stored choice
            frame.UpdateCommandUi();
            QVERIFY(frame.Action(kResampleAuto)->isChecked());
            frame.OpenPictureFile(picture);
            auto base = [&](Resampling how) {
                return MakeBaseImage(document.Picture(), document.Selection(),
                                     document.TargetWidth(), document.TargetHeight(),
                                     document.AspectLock(), how);
            };
            QVERIFY(SamePixels(document.Pipeline().BaseImage(), base(Resampling::Classic).get()));

            control->setCurrentIndex(3);
            QCOMPARE(document.ChosenResampling(), ResamplingChoice::Lanczos);
            QVERIFY(SamePixels(document.Pipeline().BaseImage(), base(Resampling::Lanczos).get()));
            QVERIFY(frame.Action(kResampleLanczos)->isChecked());
            QVERIFY(!frame.Action(kResampleAuto)->isChecked());

            // The menu's group, in the 表示 menu.
            QMenu* view = nullptr;
            for (QAction* top : frame.menuBar()->actions())
                if (top->text() == "表示(&V)")
                    view = top->menu();
            QVERIFY(view);
            QAction* sub = view->actions().last();
            QVERIFY(sub->menu());
            QCOMPARE(
                sub->menu()->actions(),
                QList<QAction*>({frame.Action(kResampleAuto), frame.Action(kResampleClassic),
                                 frame.Action(kResampleArea), frame.Action(kResampleLanczos)}));
            frame.RunCommand(kResampleArea);
            QCOMPARE(control->currentIndex(), 2);
            QVERIFY(SamePixels(document.Pipeline().BaseImage(), base(Resampling::Area).get()));
        }
        QCOMPARE(OpenUserSettings()->value("SETTING/RESAMPLING").toInt(), 2);
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QCOMPARE(frame.OutputPanel()->Resampling()->currentIndex(), 2);
        frame.UpdateCommandUi();
        QVERIFY(frame.Action(kResampleArea)->isChecked());
    }
};

MOKOA_QT_TEST(OutputPanelTest);
#include "output_panel_test.moc"
