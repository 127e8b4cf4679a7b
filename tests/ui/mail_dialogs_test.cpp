#include "desktop/mail_password.h"
#include "desktop/mail_settings.h"
#include "desktop/settings_store.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/delivery_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "tests/ui/smtp_sink.h"
#include "ui/mail_account_dialog.h"
#include "ui/mail_delivery.h"
#include "ui/mail_progress_dialog.h"
#include "ui/mail_send_dialog.h"
#include "ui/recipient_history.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>

#include <memory>

using namespace deliverytest;
using namespace std::chrono_literals;

namespace {

constexpr const char* kUnreachableSmtp = "SMTPサーバーが指定されていません。";

void SetAccount(const QString& from, const QString& smtp) {
    StoreMailAccount({from, smtp, "pop.example.com", "secret"});
}

QString StoredEmail(const QString& key) {
    return OpenUserSettings()->value("EMAIL/" + key).toString();
}

// An SMTP setting for a port on 127.0.0.1 where nothing listens.
QString ClosedServer() {
    return QStringLiteral("127.0.0.1:%1").arg(FreePort());
}

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile file(dir.filePath(name));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return file.fileName();
}

} // namespace

class MailDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // No secret service answers here, whatever the machine runs: the password goes to the
    // settings file, and no test depends on a keyring.
    void initTestCase() { qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"); }
    void init() { QFile::remove(UserSettingsPath()); }

    void accountDialogRefusesMissingFieldsInOrder() {
        FakePrompts prompts;
        CMailAccountDlg dialog(&prompts);
        QCOMPARE(dialog.windowTitle(), QString("ﾒｰﾙｱｶｳﾝﾄの設定"));
        dialog.show();
        const QStringList expected = {
            "ﾒｰﾙｱﾄﾞﾚｽが指定されていません。", "SMTPｻｰﾊﾞが指定されていません。",
            "POPｻｰﾊﾞが指定されていません。", "POPﾊﾟｽﾜｰﾄﾞが指定されていません。"};
        QLineEdit* fields[] = {dialog.FromEdit(), dialog.SmtpEdit(), dialog.PopEdit(),
                               dialog.PassEdit()};
        const char* values[] = {"me@example.com", "smtp.example.com", "pop.example.com", "pw"};
        for (int i = 0; i < 4; ++i) {
            dialog.accept();
            QCOMPARE(prompts.messages.last(), expected[i]);
            QVERIFY(dialog.isVisible());
            QVERIFY(!QFile::exists(UserSettingsPath()) || StoredEmail("FROM").isEmpty());
            fields[i]->setText(values[i]);
        }
        QCOMPARE(dialog.PassEdit()->echoMode(), QLineEdit::Normal);
        dialog.accept();
        QCOMPARE(prompts.messages.size(), 4);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        const MailAccount stored = LoadMailAccount();
        QCOMPARE(stored.from, QString("me@example.com"));
        QCOMPARE(stored.smtp, QString("smtp.example.com"));
        QCOMPARE(stored.pop, QString("pop.example.com"));
        QCOMPARE(stored.pass, QString("pw"));

        CMailAccountDlg again(&prompts);
        QCOMPARE(again.SmtpEdit()->text(), QString("smtp.example.com"));
        again.PassEdit()->clear();
        again.reject();
        QCOMPARE(LoadMailAccount().pass, QString("pw"));
    }

    void sendDialogChecksInOrder() {
        QTemporaryDir dir;
        const QString noExtension = WriteFile(dir, "picture", "bytes");
        FakePrompts prompts;
        SetAccount("me@example.com", ClosedServer());
        {
            CMailSendDlg dialog(QString(), dir.path(), &prompts);
            dialog.show();
            // Without a converted image the attachment path must name a file.
            QVERIFY(!dialog.CurrentImageBox()->isEnabled());
            QVERIFY(!dialog.CurrentImageBox()->isChecked());
            QCOMPARE(dialog.BodyEdit()->toPlainText(), QString("本文を入力してください"));
            QCOMPARE(dialog.SenderLabel()->text(), QString("me@example.com"));
            dialog.RecipientBox()->setEditText("");
            dialog.BodyEdit()->clear();
            dialog.Send();
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.Send();
            dialog.BodyEdit()->setPlainText("hello");
            dialog.AttachmentEdit()->setText(dir.filePath("missing.png"));
            dialog.Send();
            dialog.AttachmentEdit()->setText(dir.path()); // a folder is no file either
            dialog.Send();
            QCOMPARE(prompts.messages, QStringList({"宛先が未入力です。", "本文が未入力です。",
                                                    "送信画像ファイルが未選択です。",
                                                    "送信画像ファイルが未選択です。"}));

            // A file name without extension: nothing happens at all.
            prompts.messages.clear();
            dialog.AttachmentEdit()->setText(noExtension);
            dialog.Send();
            QVERIFY(prompts.messages.isEmpty());
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.isEnabled());
            QVERIFY(!dialog.Delivery()->IsRunning());
            QVERIFY(StoredEmail("BODY").isEmpty());

            // Enter closes nothing, wherever it is pressed.
            QTest::keyClick(dialog.AttachmentEdit(), Qt::Key_Return);
            QTest::keyClick(dialog.RecipientBox()->lineEdit(), Qt::Key_Return);
            dialog.BodyEdit()->moveCursor(QTextCursor::End);
            QTest::keyClick(dialog.BodyEdit(), Qt::Key_Return);
            QVERIFY(dialog.isVisible());
            QCOMPARE(dialog.BodyEdit()->toPlainText(), QString("hello\n"));
            QCOMPARE(dialog.RecipientBox()->count(), 0);
        }
        prompts.messages.clear();
        SetAccount("", "");
        {
            CMailSendDlg dialog(QString(), dir.path(), &prompts);
            dialog.show();
            // Told once the dialog is up; it opens all the same.
            QTRY_COMPARE(prompts.messages,
                         QStringList{"SMTPサーバーが指定されていません。\r\n"
                                     "先にメールアカウントの設定を行ってください。"});
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.Send();
            QCOMPARE(prompts.messages.last(), QString(kUnreachableSmtp));
        }
        SetAccount("", "smtp.example.com");
        {
            CMailSendDlg dialog(QString(), dir.path(), &prompts);
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.Send();
            QCOMPARE(prompts.messages.last(), QString("送信者が未入力です。"));
        }
    }

    void browseChoosesTheAttachment() {
        FakePrompts prompts;
        prompts.openAnswers.append({"/pics/cat.png", 1});
        CMailSendDlg dialog("", "/saved/", &prompts);
        dialog.Browse();
        QCOMPARE(prompts.openRequests.size(), 1);
        const FileDialogRequest& request = prompts.openRequests.first();
        QCOMPARE(request.title, QString("携帯画像ファイルの選択"));
        QCOMPARE(request.folder, QString("/saved/"));
        QCOMPARE(request.filterIndex, 1);
        QCOMPARE(request.filter,
                 QString("携帯画像ファイル (*.jpg;*.png)|*.jpg;*.jpeg;*.png|JPEG (*.jpg;*.jpeg)|"
                         "*.jpg;*.jpeg|PNG (*.png)|*.png|すべてのファイル (*.*)|*.*||"));
        QCOMPARE(dialog.AttachmentEdit()->text(), QString("/pics/cat.png"));
        dialog.Browse(); // cancelled: the path stays
        QCOMPARE(dialog.AttachmentEdit()->text(), QString("/pics/cat.png"));
    }

    void imageMailArrivesWithTheDeliveryCopy() {
        START_SMTP_SINK(sink);
        SetAccount("me@example.com", sink.Server());
        ImageCopy copy(true);
        QVERIFY(!copy.path.isEmpty());
        FakePrompts prompts;
        CMailSendDlg dialog(copy.path, "/", &prompts);
        dialog.show();
        QVERIFY(dialog.CurrentImageBox()->isChecked());
        dialog.RecipientBox()->setEditText("太郎<taro@example.com>");
        dialog.BodyEdit()->setPlainText("壁紙です\n二行目");
        dialog.AttachmentEdit()->setText("/elsewhere/other.png");
        dialog.Send();
        QVERIFY(!dialog.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
        QCOMPARE(prompts.messages, QStringList{"送信完了しました。"});
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        QVERIFY(sink.WaitForMessage(1));
        const QString name = QFileInfo(copy.path).fileName();
        QCOMPARE(QString::fromUtf8(sink.Read(1, "parts")), "text/plain\t\nimage/png\t" + name);
        QCOMPARE(sink.Read(1, "part1"), FileBytes(copy.path));
        QCOMPARE(QString::fromUtf8(sink.Read(1, "subject")), QString("モコア　画像添付メール"));
        QCOMPARE(QString::fromUtf8(sink.Read(1, "part0")), QString("壁紙です\r\n二行目"));
        QCOMPARE(QString::fromUtf8(sink.Read(1, "envelope")),
                 QString("me@example.com\ntaro@example.com"));
        QCOMPARE(StoredEmail("BODY"), QString("壁紙です\n二行目"));
        QCOMPARE(StoredEmail("IMGFILE"), QString("/elsewhere/other.png"));
        QCOMPARE(LoadRecipientHistory(), QStringList{"太郎<taro@example.com>"});
    }

    void attachmentTypeFollowsTheExtension() {
        START_SMTP_SINK(sink);
        SetAccount("me@example.com", sink.Server());
        QTemporaryDir dir;
        const struct {
            const char* name;
            const char* type;
        } cases[] = {{"anim.GIF", "image/gif"},
                     {"photo.JPEG", "image/jpeg"},
                     {"picture.bmp", "application/octet-stream"}};
        int n = 0;
        for (const auto& c : cases) {
            const QString path = WriteFile(dir, c.name, "GIF89a-not-really");
            FakePrompts prompts;
            CMailSendDlg dialog(QString(), dir.path(), &prompts);
            dialog.show();
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.AttachmentEdit()->setText(path);
            dialog.Send();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
            QCOMPARE(prompts.messages, QStringList{"送信完了しました。"});
            QVERIFY(sink.WaitForMessage(++n));
            const QStringList parts = QString::fromUtf8(sink.Read(n, "parts")).split('\n');
            QCOMPARE(parts.size(), 2);
            QCOMPARE(parts[1].section('\t', 0, 0), QString(c.type));
            QCOMPARE(sink.Read(n, "part1"), QByteArray("GIF89a-not-really"));
        }
    }

    void refusedConnectionStillSavesTheTexts() {
        const QString closed = ClosedServer();
        QVERIFY(!closed.isEmpty());
        SetAccount("me@example.com", closed);
        StoreRecipientHistory({"b@example.com", "a@example.com"});
        ImageCopy copy(true);
        FakePrompts prompts;
        CMailSendDlg dialog(copy.path, "/", &prompts);
        dialog.show();
        // Loaded entries are listed sorted; the first fills the field.
        QCOMPARE(dialog.RecipientBox()->currentText(), QString("a@example.com"));
        dialog.RecipientBox()->setEditText("c@example.com");
        dialog.BodyEdit()->setPlainText("text kept");
        dialog.AttachmentEdit()->setText("/kept/path.jpg");
        dialog.Send();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
        QCOMPARE(prompts.messages, QStringList{"メールサーバーに接続できません。"});
        QCOMPARE(StoredEmail("BODY"), QString("text kept"));
        QCOMPARE(StoredEmail("IMGFILE"), QString("/kept/path.jpg"));
        QCOMPARE(LoadRecipientHistory(),
                 QStringList({"c@example.com", "a@example.com", "b@example.com"}));
    }

    void historyKeepsTenEntriesAndMovesRepeatsToTheTop() {
        QStringList ten;
        for (int i = 0; i < 10; ++i)
            ten.append(QStringLiteral("user%1@example.com").arg(i));
        const QStringList added = UpdatedRecipientHistory(ten, "new@example.com");
        QCOMPARE(added.size(), 10);
        QCOMPARE(added.first(), QString("new@example.com"));
        QCOMPARE(added.last(), QString("user8@example.com"));

        // A repeat in other letter case moves up as newly typed; nothing is dropped.
        const QStringList moved = UpdatedRecipientHistory(ten, "USER5@Example.com");
        QCOMPARE(moved.size(), 10);
        QCOMPARE(moved.first(), QString("USER5@Example.com"));
        QCOMPARE(moved.count("user5@example.com"), 0);
        QCOMPARE(moved.last(), QString("user9@example.com"));

        // Through the dialog: the list as shown (sorted at load) loses its last entry.
        QStringList stored = ten;
        std::reverse(stored.begin(), stored.end());
        StoreRecipientHistory(stored);
        SetAccount("me@example.com", ClosedServer());
        FakePrompts prompts;
        CMailSendDlg dialog(QString(), "/", &prompts);
        QTemporaryDir dir;
        dialog.AttachmentEdit()->setText(WriteFile(dir, "a.png", "x"));
        dialog.RecipientBox()->setEditText("zz@example.com");
        dialog.show();
        dialog.Send();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
        QStringList expected = ten.mid(0, 9);
        expected.prepend("zz@example.com");
        QCOMPARE(LoadRecipientHistory(), expected);
        QCOMPARE(OpenUserSettings()->value("EMAIL/TO_COUNT").toInt(), 10);
    }

    void windowKeepsWorkingWhileTheServerIsSilent() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        SetAccount("me@example.com", QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
        ImageCopy copy(true);
        FakePrompts prompts;
        CMailSendDlg dialog(copy.path, "/", &prompts);
        dialog.show();
        dialog.RecipientBox()->setEditText("to@example.com");
        dialog.Send();
        QVERIFY(!dialog.isEnabled());
        QVERIFY(dialog.Delivery()->IsRunning());
        // The event loop runs on: timers fire, and the dialog cannot be closed or sent twice.
        bool ticked = false;
        QTimer::singleShot(10, [&] { ticked = true; });
        QTRY_VERIFY(ticked);
        dialog.reject();
        dialog.close();
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.Delivery()->IsRunning());

        // The server hangs up without a greeting.
        QTRY_VERIFY_WITH_TIMEOUT(silent.hasPendingConnections(), 10000);
        delete silent.nextPendingConnection();
        QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
        QCOMPARE(prompts.messages, QStringList{"メールサーバーに接続できません。"});
    }

    void closingDuringAnExchangeWaitsForIt() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        SetAccount("me@example.com", QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
        ImageCopy copy(true);
        FakePrompts prompts;
        QElapsedTimer clock;
        {
            auto dialog = std::make_unique<CMailSendDlg>(copy.path, "/", &prompts);
            dialog->Delivery()->SetTimeout(300ms);
            dialog->show();
            dialog->RecipientBox()->setEditText("to@example.com");
            dialog->Send();
            QVERIFY(dialog->Delivery()->IsRunning());
            clock.start();
        }
        QVERIFY(clock.elapsed() < 10000);
        // The result posted by the finished exchange finds nobody and is dropped.
        QCoreApplication::processEvents();
        QVERIFY(prompts.messages.isEmpty());
    }

    void accountDialogStoresSecurityAndLogin() {
        FakePrompts prompts;
        // A classic account whose server names its port in the SMTP setting.
        StoreMailAccount({"me@example.com", "mail.example.com:2525", "pop.example.com", ""});
        QElapsedTimer clock;
        clock.start();
        CMailAccountDlg dialog(&prompts);
        // The absent secret store is noticed at once, not after the whole wait.
        QVERIFY(clock.elapsed() < kSecretStoreWait.count());
        QVERIFY(dialog.PasswordNote()->text().contains("設定ファイル"));
        QCOMPARE(dialog.SmtpEdit()->text(), QString("mail.example.com"));
        QCOMPARE(dialog.PortEdit()->text(), QString("2525"));
        QCOMPARE(dialog.SecurityBox()->currentIndex(), 0);

        // The usual set-ups in one step; a port of the user's own stays.
        dialog.SecurityBox()->setCurrentIndex(2);
        QCOMPARE(dialog.PortEdit()->text(), QString("2525"));
        dialog.SecurityBox()->setCurrentIndex(0);
        QCOMPARE(dialog.PortEdit()->text(), QString("2525"));
        dialog.PortEdit()->setText("25");
        dialog.SecurityBox()->setCurrentIndex(2);
        QCOMPARE(dialog.PortEdit()->text(), QString("465"));
        dialog.SecurityBox()->setCurrentIndex(1);
        QCOMPARE(dialog.PortEdit()->text(), QString("587"));

        // A login only over a protected connection.
        dialog.PassEdit()->setText("pa55");
        dialog.UserEdit()->setText("taro");
        dialog.SecurityBox()->setCurrentIndex(0);
        dialog.PortEdit()->setText("587");
        dialog.accept();
        QCOMPARE(
            prompts.messages,
            QStringList{"ユーザー名を使うときは、保護に STARTTLS か SSL/TLS を選んでください。"});
        QVERIFY(dialog.result() != QDialog::Accepted);
        dialog.SecurityBox()->setCurrentIndex(1);
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        const MailAccount stored = LoadMailAccount();
        QCOMPARE(stored.smtp, QString("mail.example.com"));
        QCOMPARE(stored.port, 587);
        QCOMPARE(stored.security, SmtpSecurity::StartTls);
        QCOMPARE(stored.user, QString("taro"));
        QCOMPARE(stored.pass, QString("pa55"));
        // Neither group nor others may read the password.
        QCOMPARE(int(QFile::permissions(UserSettingsPath()) & 0x00FF), 0);
        const SmtpSettings settings = MailSmtpSettings(stored, "pa55");
        QCOMPARE(settings.port, 587);
        QCOMPARE(settings.user, std::string("taro"));
    }

    void secureSendingThroughTheDialogs() {
        START_SMTP_SINK_WITH(sink, (QStringList{"--starttls", "--auth", "taro:pa55"}));
        // The run's own authority stands in for the system's store.
        qputenv("SSL_CERT_FILE", QFile::encodeName(sink.CaFile()));
        FakePrompts prompts;
        {
            CMailAccountDlg account(&prompts);
            account.FromEdit()->setText("me@example.com");
            account.SmtpEdit()->setText("127.0.0.1");
            account.PopEdit()->setText("pop.example.com");
            account.SecurityBox()->setCurrentIndex(1);
            account.PortEdit()->setText(QString::number(sink.Port()));
            account.UserEdit()->setText("taro");
            account.PassEdit()->setText("pa55");
            account.accept();
            QCOMPARE(account.result(), int(QDialog::Accepted));
        }
        ImageCopy copy(true);
        {
            CMailSendDlg dialog(copy.path, "/", &prompts);
            dialog.show();
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.Send();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
            QCOMPARE(prompts.messages, QStringList{"送信完了しました。"});
        }
        QVERIFY(sink.WaitForMessage(1));
        QCOMPARE(sink.Read(1, "part1"), FileBytes(copy.path));
        const QByteArray received = sink.Received();
        QVERIFY(received.indexOf("AUTH") > received.indexOf("STARTTLS\r\n"));

        // A server that does not offer STARTTLS never hears of the login.
        START_SMTP_SINK_WITH(plain, (QStringList{"--auth", "taro:pa55"}));
        MailAccount account = LoadMailAccount();
        account.port = plain.Port();
        StoreMailAccount(account);
        prompts.messages.clear();
        {
            CMailSendDlg dialog(copy.path, "/", &prompts);
            dialog.show();
            dialog.RecipientBox()->setEditText("to@example.com");
            dialog.Send();
            QTRY_VERIFY_WITH_TIMEOUT(!dialog.isVisible(), 20000);
        }
        qunsetenv("SSL_CERT_FILE");
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY2(prompts.messages[0].startsWith("The server does not offer STARTTLS"),
                 qPrintable(prompts.messages[0]));
        QVERIFY(plain.Received().startsWith("EHLO "));
        QVERIFY(!plain.Received().contains("AUTH"));
    }

    void cancelEndsASendingToASilentServer() {
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
        SetAccount("me@example.com", QStringLiteral("127.0.0.1:%1").arg(silent.serverPort()));
        ImageCopy copy(true);
        FakePrompts prompts;
        CMailSendDlg dialog(copy.path, "/", &prompts);
        dialog.show();
        dialog.RecipientBox()->setEditText("to@example.com");
        dialog.BodyEdit()->setPlainText("not sent");
        dialog.Send();
        // Under way: shown once the sending has lasted a moment, with its Cancel usable.
        QTRY_VERIFY(dialog.Delivery()->Progress() && dialog.Delivery()->Progress()->isVisible());
        QPushButton* cancel = dialog.Delivery()->Progress()->CancelButton();
        QVERIFY(cancel->isEnabled() && !dialog.isEnabled());
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(!dialog.Delivery()->IsRunning());
        QVERIFY(clock.elapsed() < 1000);
        QCOMPARE(prompts.messages, QStringList{"送信を中止しました。"});
        QVERIFY(!dialog.Delivery()->Progress());
        // Back to the dialog, to change something and send again; nothing was stored.
        QVERIFY(dialog.isVisible() && dialog.isEnabled());
        QVERIFY(StoredEmail("BODY").isEmpty());
    }

    void smtpSettingMayNameAPort() {
        const SmtpServerAddress plain = ParseSmtpServer("mail.example.com");
        QCOMPARE(plain.host, std::string("mail.example.com"));
        QCOMPARE(plain.port, 25);
        const SmtpServerAddress ported = ParseSmtpServer(" 127.0.0.1:2525 ");
        QCOMPARE(ported.host, std::string("127.0.0.1"));
        QCOMPARE(ported.port, 2525);
        QCOMPARE(ParseSmtpServer("host:0").port, 25);
        QCOMPARE(ParseSmtpServer("host:abc").host, std::string("host:abc"));
    }
};

MOKOA_QT_TEST(MailDialogsTest);
#include "mail_dialogs_test.moc"
