#include "desktop/settings_store.h"
#include "phone/phone_image_document.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "ui/command_ids.h"
#include "ui/core_texts.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/recipient_history.h"
#include "ui/source_view.h"

#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace cmd;

class MainFrameTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void firstStartDefaults() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        const QString home = QDir::homePath() + "/";
        QCOMPARE(CMainFrame::DefaultPictureFolder(), home);
        QCOMPARE(frame.LoadFolder(), home);
        QCOMPARE(frame.SaveFolder(), home);
        QVERIFY(!frame.Document().AspectLock());
        QCOMPARE(frame.DocumentName(), QString("新規携帯画像"));
        QCOMPARE(frame.Mode(), int(kAreaSelect));
        QCOMPARE(frame.dockWidgetArea(frame.OutputBar()), Qt::LeftDockWidgetArea);
        QVERIFY(frame.OutputBar()->isAreaAllowed(Qt::RightDockWidgetArea));
        QVERIFY(!frame.OutputBar()->isAreaAllowed(Qt::TopDockWidgetArea));

        // With a Pictures folder that one is the default.
        QVERIFY(QDir().mkpath(QDir::homePath() + "/Pictures"));
        QCOMPARE(CMainFrame::DefaultPictureFolder(), QDir::homePath() + "/Pictures/");
        QDir(QDir::homePath() + "/Pictures").removeRecursively();
    }

    void settingsWrittenAtExitAndReadAtNextStart() {
        {
            FakePrompts prompts;
            CMainFrame frame(&prompts);
            frame.RunCommand(kAspectLock);
            frame.SetSaveFolder("/tmp/saved/");
        }
        {
            auto settings = OpenUserSettings();
            QCOMPARE(settings->value("SETTING/HV_LOCK").toInt(), 1);
            QCOMPARE(settings->value("SETTING/SAVE_PATH").toString(), QString("/tmp/saved/"));
            QCOMPARE(settings->value("SETTING/LOAD_PATH").toString(), QDir::homePath() + "/");
        }
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QVERIFY(frame.Document().AspectLock());
        QVERIFY(frame.Action(kAspectLock)->isChecked());
        QCOMPARE(frame.SaveFolder(), QString("/tmp/saved/"));
    }

    void handEditedSettingsFallBackToTheirDefaults() {
        QFile file(UserSettingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[SETTING]\nLOAD_PATH=\nSAVE_PATH=a, b\nHV_LOCK=yes\n"
                   "CUSTSIZE_WIDTH=-5\nCUSTSIZE_HEIGHT=99999999999\n"
                   "SELECT_PROFILE=999\nSELECT_FFORMAT=abc\n"
                   "[EMAIL]\nTO_COUNT=2147483647\nTO(1)=phone@example.com\n");
        file.close();
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        const QString home = QDir::homePath() + "/";
        QCOMPARE(frame.LoadFolder(), home);
        QCOMPARE(frame.SaveFolder(), home);
        QVERIFY(!frame.Document().AspectLock());
        COutputPanel* panel = frame.OutputPanel();
        QCOMPARE(panel->Profiles()->currentIndex(), 0);
        QCOMPARE(panel->Profiles()->itemText(0), QString("カスタムサイズ 80x80"));
        QCOMPARE(frame.Document().TargetWidth(), 80);
        QCOMPARE(panel->Formats()->currentIndex(), 3);
        // A huge count reads the ten entries the history holds, at once.
        const QStringList history = LoadRecipientHistory();
        QCOMPARE(history.size(), kRecipientHistorySize);
        QCOMPARE(history.front(), QString("phone@example.com"));
    }

    void openChangesTheLoadFolderAndDropDoesNot() {
        QTemporaryDir pics;
        const QString cat = pics.filePath("cat.png");
        QImage(4, 4, QImage::Format_RGB32).save(cat);
        FakePrompts prompts;
        CMainFrame frame(&prompts);

        // Cancelling changes nothing.
        frame.RunCommand(kOpen);
        QCOMPARE(prompts.openRequests.size(), 1);
        const FileDialogRequest& request = prompts.openRequests[0];
        QCOMPARE(request.title, QString("画像ファイルの読み込み"));
        QCOMPARE(request.folder, QDir::homePath() + "/");
        QCOMPARE(request.filterIndex, 1);
        QVERIFY(request.filter.startsWith(
            "対応画像ファイル (*.jpg;*.png;*.bmp)|*.jpg;*.jpeg;*.png;*.bmp|"));
        QVERIFY(request.filter.endsWith("すべてのファイル (*.*)|*.*||"));
        // The shipped plug-ins' entries come between the program's own and the catch-all.
        const qsizetype plugins = request.filter.indexOf("|全Susieプラグイン対応画像|");
        QVERIFY(plugins > request.filter.indexOf("Bitmap (*.bmp)|*.bmp|"));
        const qsizetype tail = request.filter.indexOf("すべてのファイル");
        for (const char* entry :
             {"|GIF (*.gif)|*.gif|", "|Portable anymap (*.pnm;*.pbm;*.pgm;*.ppm)|*.pnm;"}) {
            const qsizetype at = request.filter.indexOf(QString::fromUtf8(entry));
            QVERIFY2(at > plugins && at < tail, entry);
        }
        QCOMPARE(frame.DocumentName(), QString("新規携帯画像"));

        prompts.openAnswers.append({cat, 1});
        frame.RunCommand(kOpen);
        QCOMPARE(frame.LoadFolder(), pics.path() + "/");
        QCOMPARE(frame.DocumentName(), QString("cat.png"));

        QTemporaryDir other;
        const QString dog = other.filePath("dog.jpg");
        QImage(4, 4, QImage::Format_RGB32).save(dog);
        QVERIFY(frame.OpenDroppedUrls({QUrl("https://example.invalid/x.png"),
                                       QUrl::fromLocalFile(dog), QUrl::fromLocalFile(cat)}));
        QCOMPARE(frame.DocumentName(), QString("dog.jpg"));
        QCOMPARE(frame.LoadFolder(), pics.path() + "/");

        // A folder dropped first is ignored, whatever follows it.
        QVERIFY(
            !frame.OpenDroppedUrls({QUrl::fromLocalFile(other.path()), QUrl::fromLocalFile(cat)}));
        QCOMPARE(frame.DocumentName(), QString("dog.jpg"));
    }

    void commandLinePictureAndFailedOpens() {
        QTemporaryDir pics;
        const QString cat = pics.filePath("cat.png");
        QImage(8, 8, QImage::Format_RGB32).save(cat);
        const QString broken = pics.filePath("broken.png");
        QFile junk(broken);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("\x89PNG\r\n\x1a\n not a picture");
        junk.close();
        const QString missing = pics.filePath("missing.jpg");
        FakePrompts prompts;
        CMainFrame frame(&prompts);

        // Named on the command line: opened as if chosen in the Open dialog.
        QVERIFY(frame.OpenChosenPicture(cat));
        QCOMPARE(frame.LoadFolder(), pics.path() + "/");
        QCOMPARE(frame.DocumentName(), QString("cat.png"));
        frame.RunCommand(kDotEdit);
        const PackedDib* output = frame.Document().Pipeline().OutputImage();
        QVERIFY(output);
        QVERIFY(prompts.messages.isEmpty());

        // Every way of opening names the file and the reason, and changes nothing else.
        prompts.openAnswers.append({broken, 1});
        frame.RunCommand(kOpen);
        QVERIFY(frame.OpenDroppedUrls({QUrl::fromLocalFile(missing)}));
        QVERIFY(!frame.OpenChosenPicture(missing));
        QCOMPARE(prompts.messages.size(), 3);
        QVERIFY(prompts.messages[0].contains(broken));
        QVERIFY(prompts.messages[0].contains('\n'));
        for (int i : {1, 2}) {
            QVERIFY(prompts.messages[i].contains(missing));
            QVERIFY(prompts.messages[i].endsWith(LoadFailureReason(LoadError::NotFound)));
        }
        QCOMPARE(frame.DocumentName(), QString("cat.png"));
        QCOMPARE(frame.Mode(), int(kDotEdit));
        QCOMPARE(frame.Document().Pipeline().OutputImage(), output);
        QCOMPARE(DibWidth(frame.Document().Picture()), 8);
        QVERIFY(frame.Action(kSave)->isEnabled());
    }

    void fitsAShortScreenByScrollingThePanel() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        auto* scroller = qobject_cast<QScrollArea*>(frame.OutputBar()->widget());
        QVERIFY(scroller);
        COutputPanel* panel = frame.OutputPanel();
        // Where there is room the panel shows whole, without a scroll bar.
        frame.resize(1000, frame.sizeHint().height());
        QTest::qWait(10);
        QVERIFY(!scroller->verticalScrollBar()->isVisible());
        QCOMPARE(scroller->viewport()->size(), panel->size());
        // A 1366 x 768 screen less a task bar and a title bar: the panel scrolls, and the
        // scroll bar takes no width from it.
        QVERIFY(frame.minimumSizeHint().height() < 600);
        frame.resize(1300, 600);
        QTest::qWait(10);
        QCOMPARE(frame.height(), 600);
        QVERIFY(scroller->verticalScrollBar()->isVisible());
        QCOMPARE(scroller->viewport()->width(), panel->width());
        scroller->verticalScrollBar()->setValue(scroller->verticalScrollBar()->maximum());
        QCOMPARE(panel->mapTo(scroller->viewport(), QPoint(0, panel->height())).y(),
                 scroller->viewport()->height());
    }

    void customSizeGoesToThePanel() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QCOMPARE(frame.Document().Profile().CustomWidth(), 80);
        QCOMPARE(frame.Document().Profile().CustomHeight(), 80);
    }
};

MOKOA_QT_TEST(MainFrameTest);
#include "main_frame_test.moc"
