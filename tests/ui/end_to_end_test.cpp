// The whole road of a photo: open, select, every output format, save, mail, serve.
#include "desktop/mail_settings.h"
#include "desktop/settings_store.h"
#include "phone/formats.h"
#include "phone/phone_image_document.h"
#include "tests/common/png_info.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/delivery_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "tests/ui/smtp_sink.h"
#include "ui/command_ids.h"
#include "ui/document_signals.h"
#include "ui/mail_send_dialog.h"
#include "ui/main_frame.h"
#include "ui/output_panel.h"
#include "ui/source_view.h"
#include "ui/web_server_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace cmd;
using namespace deliverytest;

namespace {

// Runs a command that opens a modal dialog, handing the dialog to `drive` once it is up. A
// dialog still open after the bounded wait (a failed check inside `drive`) is closed, so
// that a fault fails the test instead of hanging it.
template <class Dialog>
void RunModal(CMainFrame& frame, int command, const std::function<void(Dialog*)>& drive) {
    QPointer<Dialog> opened;
    bool found = false;
    QTimer::singleShot(0, [&] {
        opened = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        found = opened;
        if (opened)
            drive(opened);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (opened)
            opened->done(QDialog::Rejected);
    });
    watchdog.start(30000);
    frame.RunCommand(command);
    QVERIFY2(found, "the command opened no dialog of that kind");
    QVERIFY2(watchdog.isActive(), "the dialog had to be closed by force");
}

} // namespace

class EndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void photoToFileMailAndPhone() {
        const QString photo = qEnvironmentVariable("MOKOA_TESTDATA") + "/photos/kite-2560x1600.jpg";
        if (!QFileInfo::exists(photo))
            QSKIP("shared test photo not found (set MOKOA_TESTDATA to the testdata folder)");
        START_SMTP_SINK(sink);
        StoreMailAccount({"me@example.com", sink.Server(), "pop.example.com", "pw"});
        QTemporaryDir dir;

        FakePrompts prompts;
        prompts.openAnswers.append({photo, 1});
        CMainFrame frame(&prompts);
        frame.resize(900, 700);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.RunCommand(kOpen);
        QCOMPARE(frame.DocumentName(), QString("kite-2560x1600.jpg"));
        COutputPanel* panel = frame.OutputPanel();
        QVERIFY(frame.Document().Pipeline().OutputImage());

        // Drag a selection inside the picture.
        CSourceView* view = frame.SourceView();
        const ImageRect shown = view->Layout().rect;
        const QPoint from(shown.left + shown.Width() / 4, shown.top + shown.Height() / 4);
        const QPoint to(shown.left + shown.Width() / 2, shown.top + shown.Height() * 3 / 4);
        QSignalSpy outputs(frame.Signals(), &DocumentSignals::outputChanged);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, (from + to) / 2);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        QVERIFY(outputs.count() > 0);
        const ImageRect picked = frame.Document().Selection();
        QVERIFY(picked.Width() < 2560 && picked.Height() < 1600);

        // Every format, saved under the name the dialog proposes.
        for (int i = 0; i < panel->Formats()->count(); ++i) {
            panel->Formats()->setCurrentIndex(i);
            const bool png = frame.Document().Pipeline().IsPng();
            prompts.saveAnswers.append(
                {dir.filePath(QStringLiteral("format%1").arg(i)), png ? 1 : 2});
            frame.RunCommand(kSave);
            const QString written =
                dir.filePath(QStringLiteral("format%1.%2").arg(i).arg(png ? "png" : "jpg"));
            const QByteArray bytes = FileBytes(written);
            QVERIFY2(!bytes.isEmpty(), qPrintable(written));
            const QImage read = QImage::fromData(bytes);
            const PackedDib* output = frame.Document().Pipeline().OutputImage();
            QCOMPARE(read.size(), QSize(DibWidth(output), DibHeight(output)));
            if (png) {
                const testsupport::PngInfo info = testsupport::ParsePng(bytes.toStdString());
                QVERIFY(info.valid);
                const int colours = frame.Document().Pipeline().ColorCount();
                // The high-quality formats write only the colours used.
                if (frame.Document().Pipeline().Format().highQuality)
                    QVERIFY(info.paletteEntries >= 1 && info.paletteEntries <= colours);
                else
                    QCOMPARE(info.paletteEntries, colours == 0 ? 0 : colours <= 16 ? 16 : 256);
            } else {
                QVERIFY(bytes.startsWith("\xFF\xD8\xFF"));
            }
        }
        QVERIFY(prompts.messages.isEmpty());
        QCOMPARE(prompts.saveRequests.first().proposedName, QString("kite-2560x1600"));
        QCOMPARE(frame.SaveFolder(), dir.path() + "/");

        // Back to a PNG format; mail the current image.
        panel->Formats()->setCurrentIndex(FindFormatByText("PNG 最適化 16色"));
        prompts.saveAnswers.append({dir.filePath("final.png"), 1});
        frame.RunCommand(kSave);
        const QByteArray finalPng = FileBytes(dir.filePath("final.png"));
        QVERIFY(!finalPng.isEmpty());

        QString mailCopy;
        RunModal<CMailSendDlg>(frame, kMail, [&](CMailSendDlg* dialog) {
            mailCopy = dialog->CurrentImagePath();
            QVERIFY(dialog->CurrentImageBox()->isChecked());
            QCOMPARE(FileBytes(mailCopy), finalPng);
            dialog->RecipientBox()->setEditText("phone@example.com");
            dialog->Send();
        });
        QCOMPARE(prompts.messages, QStringList{"送信完了しました。"});
        QVERIFY(!mailCopy.isEmpty());
        QVERIFY(!QFileInfo::exists(mailCopy)); // removed after the dialog
        QVERIFY(sink.WaitForMessage(1));
        QCOMPARE(sink.Read(1, "part1"), finalPng);

        // Serve it and fetch it as a phone would.
        QString servedCopy;
        QByteArray fetched;
        int logLines = 0;
        RunModal<CWebServerDlg>(frame, kWebServer, [&](CWebServerDlg* dialog) {
            servedCopy = dialog->ImageFile();
            const int port = FreePort();
            dialog->PortEdit()->setText(QString::number(port));
            dialog->StartStop();
            fetched = AnswerBody(Fetch(port, "GET / HTTP/1.1\r\nUser-Agent: Phone\r\n\r\n"));
            QTRY_COMPARE(dialog->AccessLog()->count(), 1);
            logLines = dialog->AccessLog()->count();
            dialog->close();
        });
        QCOMPARE(fetched, finalPng);
        QCOMPARE(logLines, 1);
        QVERIFY(!servedCopy.isEmpty());
        QVERIFY(!QFileInfo::exists(servedCopy));
    }

    void mailWithoutPictureOffersNoCurrentImage() {
        FakePrompts prompts;
        CMainFrame frame(&prompts);
        QVERIFY(frame.Action(kMail)->isEnabled());
        QVERIFY(frame.Action(kMailAccount)->isEnabled());
        QVERIFY(!frame.Action(kWebServer)->isEnabled());
        bool checked = true, enabled = true;
        QString copy = "unset";
        RunModal<CMailSendDlg>(frame, kMail, [&](CMailSendDlg* dialog) {
            checked = dialog->CurrentImageBox()->isChecked();
            enabled = dialog->CurrentImageBox()->isEnabled();
            copy = dialog->CurrentImagePath();
            dialog->reject();
        });
        QVERIFY(!checked);
        QVERIFY(!enabled);
        QVERIFY(copy.isEmpty());
    }
};

MOKOA_QT_TEST(EndToEndTest);
#include "end_to_end_test.moc"
