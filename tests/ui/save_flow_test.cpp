#include "desktop/settings_store.h"
#include "phone/output_pipeline.h"
#include "phone/phone_image_document.h"
#include "tests/common/png_info.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/delivery_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/save_flow.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace cmd;
using deliverytest::FileBytes;

namespace {

QString MakePicture(const QTemporaryDir& dir, const char* name) {
    QImage image(160, 120, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x * y) % 256));
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

bool IsJpeg(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xD8\xFF") && bytes.endsWith("\xFF\xD9");
}

int FormatIndex(const COutputPanel* panel, const char* text) {
    return panel->Formats()->findText(QString::fromUtf8(text));
}

} // namespace

class SaveFlowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void dialogRequestFollowsTheDocumentAndFormat() {
        const FileDialogRequest png = SaveDialogRequest("cat.bmp", "/pics/", true);
        QCOMPARE(png.title, QString("画像ファイルの書き込み"));
        QCOMPARE(png.filter, QString("PNG (*.png)|*.png|JPEG (*.jpg;*.jpeg)|*.jpg;*.jpeg|"
                                     "すべてのファイル (*.*)|*.*||"));
        QCOMPARE(png.filterIndex, 1);
        QCOMPARE(png.folder, QString("/pics/"));
        QCOMPARE(png.proposedName, QString("cat"));
        QCOMPARE(png.defaultSuffix, QString("png"));
        QCOMPARE(SaveDialogRequest("cat.bmp", "/", false).filterIndex, 2);
        QCOMPARE(SaveDialogRequest("archive.tar.gz", "/", true).proposedName,
                 QString("archive.tar"));
        QCOMPARE(SaveDialogRequest("新規携帯画像", "/", true).proposedName,
                 QString("新規携帯画像"));
    }

    void chosenNameGetsTheFilterExtension_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("jpeg filter") << "/d/test" << 2 << "/d/test.jpg";
        QTest::newRow("png filter") << "/d/test" << 1 << "/d/test.png";
        QTest::newRow("all files") << "/d/test" << 3 << "/d/test.png";
        QTest::newRow("own extension") << "/d/test.JPG" << 1 << "/d/test.JPG";
        QTest::newRow("dot in folder") << "/d.x/test" << 2 << "/d.x/test.jpg";
        QTest::newRow("cancelled") << "" << 2 << "";
    }
    void chosenNameGetsTheFilterExtension() {
        QFETCH(QString, chosen);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QCOMPARE(ChosenSavePath({chosen, filter}), written);
    }

    void saveWritesByTheNameAndTellsFailures() {
        QTemporaryDir dir;
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.OpenPictureFile(MakePicture(dir, "cat.bmp"));
        frame.SetDocumentName("cat.bmp");
        frame.SetSaveFolder(dir.path() + "/");
        QVERIFY(frame.Document().Pipeline().OutputImage());

        const struct {
            QString answer;
            int filter;
            QString file;
            bool jpeg;
        } cases[] = {
            {dir.filePath("test"), 2, dir.filePath("test.jpg"), true},
            {dir.filePath("all"), 3, dir.filePath("all.png"), false},
            {dir.filePath("upper.JPG"), 1, dir.filePath("upper.JPG"), true},
            {dir.filePath("long.jpeg"), 1, dir.filePath("long.jpeg"), true},
            {dir.filePath("sub.dir/pic.png"), 1, dir.filePath("sub.dir/pic.png"), false},
        };
        QVERIFY(QDir(dir.path()).mkdir("sub.dir"));
        for (const auto& c : cases) {
            prompts.saveAnswers.append({c.answer, c.filter});
            frame.RunCommand(kSave);
            const QByteArray bytes = FileBytes(c.file);
            QVERIFY2(c.jpeg ? IsJpeg(bytes) : testsupport::ParsePng(bytes.toStdString()).valid,
                     qPrintable(c.file));
            QCOMPARE(frame.SaveFolder(), QFileInfo(c.file).absolutePath() + "/");
        }
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(prompts.saveRequests.first().proposedName, QString("cat"));
        QCOMPARE(prompts.saveRequests.first().folder, dir.path() + "/");
        QCOMPARE(frame.DocumentName(), QString("cat"));

        // An extension no writer knows, and a folder that is not there.
        prompts.saveAnswers.append({dir.filePath("pic.bmp"), 3});
        frame.RunCommand(kSave);
        prompts.saveAnswers.append({dir.filePath("gone/pic.png"), 1});
        frame.RunCommand(kSave);
        QCOMPARE(prompts.messages.size(), 2);
        QVERIFY(prompts.messages[0].contains(dir.filePath("pic.bmp")));
        QVERIFY(prompts.messages[0].contains(".png、.jpg、.jpeg"));
        QVERIFY(prompts.messages[1].contains(dir.filePath("gone/pic.png")));
        QVERIFY2(prompts.messages[1].contains("No such file"), qPrintable(prompts.messages[1]));
        QVERIFY(!QFileInfo::exists(dir.filePath("pic.bmp")));

        // Cancelling writes nothing and keeps the folder.
        const QString folder = frame.SaveFolder();
        frame.RunCommand(kSave);
        QCOMPARE(frame.SaveFolder(), folder);
        QCOMPARE(prompts.messages.size(), 2);
    }

    void savedPalettesHaveSixteenOrTwoHundredFiftySixEntries() {
        QTemporaryDir dir;
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.OpenPictureFile(MakePicture(dir, "p.png"));
        COutputPanel* panel = frame.OutputPanel();
        const struct {
            const char* format;
            int entries;
        } cases[] = {{"PNG 最適化 8色", 16},
                     {"PNG 最適化 32色", 256},
                     {"PNG グレースケール 16色", 16},
                     {"PNG FullColor", 0}};
        for (const auto& c : cases) {
            panel->Formats()->setCurrentIndex(FormatIndex(panel, c.format));
            const QString file = dir.filePath(QString::number(c.entries) + ".png");
            prompts.saveAnswers.append({file, 1});
            frame.RunCommand(kSave);
            const testsupport::PngInfo info = testsupport::ParsePng(FileBytes(file).toStdString());
            QVERIFY(info.valid);
            QCOMPARE(info.paletteEntries, c.entries);

            // The size check measures the same bytes.
            prompts.messages.clear();
            frame.RunCommand(kSizeCheck);
            const QByteArray checked =
                FileBytes(QString::fromStdString(frame.Document().Pipeline().TempOutputPath()));
            QCOMPARE(testsupport::ParsePng(checked.toStdString()).paletteEntries, c.entries);
            QCOMPARE(checked, FileBytes(file));
            QCOMPARE(prompts.messages.size(), 1);
            if (checked.size() <= 6000)
                QCOMPARE(prompts.messages.first(),
                         QStringLiteral("PNG %1 バイト OK !").arg(checked.size()));
            else
                QVERIFY(prompts.messages.first().startsWith(
                    QStringLiteral("[PNG %1 バイト]\n").arg(checked.size())));
        }
    }

    void realDialogAddsTheSelectedFiltersExtension() {
        QTemporaryDir dir;
        QFile existing(dir.filePath("test.jpg"));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();
        QtUserPrompts prompts;
        FileDialogRequest request = SaveDialogRequest("test.bmp", dir.path(), false);
        bool asked = false;
        // Type the bare name and accept; the overwrite question must be about test.jpg.
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QTimer::singleShot(0, [&] {
                auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                asked = question && question->text().contains("test.jpg");
                if (question)
                    question->button(QMessageBox::Yes)->click();
            });
            QMetaObject::invokeMethod(dialog, "accept");
        });
        const FileDialogResult result = prompts.SaveFile(nullptr, request);
        QVERIFY(asked);
        QCOMPARE(result.path, dir.filePath("test.jpg"));
        QCOMPARE(result.filterIndex, 2);
    }
};

MOKOA_QT_TEST(SaveFlowTest);
#include "save_flow_test.moc"
