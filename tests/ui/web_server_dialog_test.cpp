#include "desktop/mail_settings.h"
#include "desktop/settings_store.h"
#include "tests/common/qt_test_support.h"
#include "tests/ui/delivery_test_support.h"
#include "tests/ui/fake_prompts.h"
#include "tests/ui/smtp_sink.h"
#include "ui/qr_code.h"
#include "ui/recipient_history.h"
#include "ui/web_server_dialog.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace deliverytest;

namespace {

// Gives or takes the right to bind ports below 1024 in this thread's effective set, as a
// user without it has; the server binds on the calling thread.
void SetLowPortRight(bool on) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0)
        return;
    auto& word = data[CAP_TO_INDEX(CAP_NET_BIND_SERVICE)].effective;
    const auto right = CAP_TO_MASK(CAP_NET_BIND_SERVICE);
    word = on ? word | right : word & ~right;
    ::syscall(SYS_capset, &header, data);
}

} // namespace

class WebServerDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QFile::remove(UserSettingsPath()); }

    void urlCarriesThePortUnlessItIs80() {
        QCOMPARE(WebServerUrl("192.0.2.5", 80), QString("http://192.0.2.5/"));
        QCOMPARE(WebServerUrl("192.0.2.5", 8080), QString("http://192.0.2.5:8080/"));
    }

    void servesTheImageAndLogsEachFetch() {
        ImageCopy copy(false);
        FakePrompts prompts;
        CWebServerDlg dialog(copy.path, &prompts);
        dialog.show();
        QCOMPARE(dialog.PortEdit()->text(), QString("80"));
        QCOMPARE(dialog.StartStopButton()->text(), QString("起動"));
        QVERIFY(dialog.UrlEdit()->text().isEmpty());

        const int port = FreePort();
        QVERIFY(port != 0);
        dialog.PortEdit()->setText(QString::number(port));
        dialog.StartStop();
        QVERIFY2(dialog.IsServing(), qPrintable(prompts.messages.join('\n')));
        QCOMPARE(dialog.StartStopButton()->text(), QString("停止"));
        const QString host = dialog.HostBox()->currentData().toString();
        QVERIFY(!host.isEmpty());
        QCOMPARE(dialog.UrlEdit()->text(), QStringLiteral("http://%1:%2/").arg(host).arg(port));
        QVERIFY(!dialog.QrLabel()->pixmap().isNull());

        const QByteArray answer =
            Fetch(port, "GET /wallpaper HTTP/1.0\r\nUser-Agent: TestPhone/1.0\r\n\r\n");
        QVERIFY(answer.startsWith("HTTP/1.0 200\r\nContent-Type: image/jpeg\r\n\r\n"));
        QCOMPARE(AnswerBody(answer), FileBytes(copy.path));
        QTRY_COMPARE(dialog.AccessLog()->count(), 1);
        const QString line = dialog.AccessLog()->item(0)->text();
        QVERIFY2(QRegularExpression(
                     QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\] TestPhone/1.0 \\(127.0.0.1:%1\\) ")
                         .arg(port))
                     .match(line)
                     .hasMatch(),
                 qPrintable(line));

        dialog.StartStop();
        QVERIFY(!dialog.IsServing());
        QCOMPARE(dialog.StartStopButton()->text(), QString("起動"));
        QVERIFY(dialog.UrlEdit()->text().isEmpty());
        QVERIFY(dialog.QrLabel()->pixmap().isNull());
        QVERIFY(Fetch(port, "GET / HTTP/1.0\r\n\r\n").isEmpty());
    }

    void missingImageStillAnswersAndLogs() {
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        const int port = FreePort();
        dialog.PortEdit()->setText(QString::number(port));
        dialog.StartStop();
        QVERIFY(dialog.IsServing());
        QCOMPARE(Fetch(port, "GET / HTTP/1.0\r\n\r\n"),
                 QByteArray("HTTP/1.0 200\r\nContent-Type: image/\r\n\r\n"));
        QTRY_COMPARE(dialog.AccessLog()->count(), 1);
    }

    void stopAndCloseWithAnIdleClientDoNotHang() {
        ImageCopy copy(false);
        FakePrompts prompts;
        const int port = FreePort();
        QElapsedTimer clock;
        {
            CWebServerDlg dialog(copy.path, &prompts);
            dialog.show();
            dialog.PortEdit()->setText(QString::number(port));
            dialog.StartStop();
            QVERIFY(dialog.IsServing());
            // Clients that connect and say nothing, or only half a request.
            QTcpSocket idle, half;
            idle.connectToHost(QHostAddress::LocalHost, quint16(port));
            half.connectToHost(QHostAddress::LocalHost, quint16(port));
            QVERIFY(idle.waitForConnected(kWaitMs));
            QVERIFY(half.waitForConnected(kWaitMs));
            half.write("GET / HTTP/1.0\r\n");
            QVERIFY(half.waitForBytesWritten(kWaitMs));
            clock.start();
            dialog.StartStop();
            QVERIFY(clock.elapsed() < 5000);
            QVERIFY(!dialog.IsServing());

            dialog.StartStop();
            QVERIFY(dialog.IsServing());
            QTcpSocket again;
            again.connectToHost(QHostAddress::LocalHost, quint16(port));
            QVERIFY(again.waitForConnected(kWaitMs));
            clock.restart();
            dialog.close();
            QVERIFY(clock.elapsed() < 5000);
            QVERIFY(!dialog.isVisible());
            QVERIFY(!dialog.IsServing());
            QVERIFY(!dialog.Server().IsRunning());
        }
        // And the port is free again.
        QTcpServer after;
        QVERIFY(after.listen(QHostAddress::Any, quint16(port)));
    }

    void portRules() {
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        dialog.PortEdit()->setText("eighty");
        dialog.StartStop();
        dialog.PortEdit()->setText("65536");
        dialog.StartStop();
        dialog.PortEdit()->setText("0");
        dialog.StartStop();
        QCOMPARE(prompts.messages, QStringList({"整数を入力してください。",
                                                "1 から 65535 までの整数を入力してください。",
                                                "1 から 65535 までの整数を入力してください。"}));
        QVERIFY(!dialog.IsServing());

        // A port another program holds: the start fails and everything stays as it was.
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::Any, 0));
        prompts.messages.clear();
        dialog.PortEdit()->setText(QString::number(holder.serverPort()));
        dialog.StartStop();
        QCOMPARE(prompts.messages.size(), 1);
        QVERIFY(prompts.messages.first().startsWith("サーバーが起動できません\r\n\r\n"));
        QVERIFY(!dialog.IsServing());
        QCOMPARE(dialog.StartStopButton()->text(), QString("起動"));
        QVERIFY(dialog.UrlEdit()->text().isEmpty());
    }

    void portRefusedForLackOfRightMovesOnAndSaysSo() {
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        SetLowPortRight(false);
        const auto restore = qScopeGuard([] { SetLowPortRight(true); });
        {
            QTcpServer probe;
            if (probe.listen(QHostAddress::Any, 80))
                QSKIP("port 80 can be bound without the right here");
        }
        dialog.PortEdit()->setText("80");
        dialog.StartStop();
        QVERIFY2(dialog.IsServing(), qPrintable(prompts.messages.join('\n')));
        QVERIFY(prompts.messages.isEmpty());
        const int port = dialog.Port();
        QVERIFY(port >= 8080 && port <= 8099);
        QCOMPARE(dialog.UrlEdit()->text(), QStringLiteral("http://%1:%2/")
                                               .arg(dialog.HostBox()->currentData().toString())
                                               .arg(port));
        QCOMPARE(
            dialog.PortNote()->text(),
            QStringLiteral("ポート80は管理者権限が必要なため\nポート%1で起動しました。").arg(port));
        QVERIFY(Fetch(port, "GET / HTTP/1.0\r\n\r\n").startsWith("HTTP/1.0 200\r\n"));
        dialog.StartStop();
        QVERIFY(dialog.PortNote()->text().isEmpty());
    }

    void port65535StartsOn80() {
        {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::Any, 80))
                QSKIP("port 80 cannot be bound here");
        }
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        dialog.PortEdit()->setText("65535");
        dialog.StartStop();
        QVERIFY2(dialog.IsServing(), qPrintable(prompts.messages.join('\n')));
        QCOMPARE(dialog.PortEdit()->text(), QString("80"));
        QCOMPARE(dialog.Server().Port(), quint16(80));
        QCOMPARE(dialog.UrlEdit()->text(),
                 QStringLiteral("http://%1/").arg(dialog.HostBox()->currentData().toString()));
        dialog.close();
    }

    void qrCodeReadsBackAsTheUrl() {
        const QString zbar = QStandardPaths::findExecutable("zbarimg");
        if (zbar.isEmpty())
            QSKIP("zbarimg (Debian package zbar-tools) is not installed");
        QTemporaryDir dir;
        for (const QString& url :
             {QString("http://192.0.2.5/"), QString("http://10.1.2.3:8080/")}) {
            const QString file = dir.filePath("qr.png");
            QVERIFY(QrCodeImage(url, 4).save(file));
            QProcess decoder;
            decoder.start(zbar, {"--raw", "-q", file});
            QVERIFY(decoder.waitForFinished(kWaitMs));
            QCOMPARE(QString::fromUtf8(decoder.readAllStandardOutput()).trimmed(), url);
        }
        QVERIFY(QrCodeImage(QString()).isNull());
    }

    void browserButtonOpensTheUrl() {
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        qttest::UrlCatcher catcher;
        QDesktopServices::setUrlHandler("http", &catcher, "open");
        dialog.OpenInBrowser(); // stopped: nothing to open
        dialog.PortEdit()->setText(QString::number(FreePort()));
        dialog.StartStop();
        dialog.OpenInBrowser();
        QDesktopServices::unsetUrlHandler("http");
        QCOMPARE(catcher.urls, QList<QUrl>{QUrl(dialog.Url())});
    }

    void urlMailChecksThenSendsTheAddress() {
        START_SMTP_SINK(sink);
        StoreRecipientHistory({"phone@example.com"});
        FakePrompts prompts;
        CWebServerDlg dialog(QString(), &prompts);
        dialog.show();
        QCOMPARE(dialog.PhoneBox()->currentText(), QString("phone@example.com"));
        dialog.MailUrl(); // stopped: nothing at all
        QVERIFY(prompts.messages.isEmpty());

        dialog.PortEdit()->setText(QString::number(FreePort()));
        dialog.StartStop();
        QVERIFY(dialog.IsServing());
        dialog.MailUrl();
        StoreMailAccount({"me@example.com", "", "", ""});
        dialog.MailUrl();
        StoreMailAccount({"me@example.com", sink.Server(), "", ""});
        dialog.PhoneBox()->setEditText("");
        dialog.MailUrl();
        QCOMPARE(prompts.messages, QStringList({"ﾒｰﾙｱﾄﾞﾚｽが指定されていません。\r\n"
                                                "先にメールアカウントの設定を行ってください。",
                                                "SMTPｻｰﾊﾞが指定されていません。\r\n"
                                                "先にメールアカウントの設定を行ってください。",
                                                "宛先が未入力です。"}));

        prompts.messages.clear();
        dialog.PhoneBox()->setEditText("Mobile@Example.com");
        dialog.MailUrl();
        QVERIFY(!dialog.isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), 20000);
        QCOMPARE(prompts.messages, QStringList{"送信完了しました。"});
        QVERIFY(dialog.isVisible());
        QVERIFY(sink.WaitForMessage(1));
        QCOMPARE(QString::fromUtf8(sink.Read(1, "parts")), QString("text/plain\t"));
        QCOMPARE(QString::fromUtf8(sink.Read(1, "part0")), "MOKOA-WebServer\r\n" + dialog.Url());
        QCOMPARE(QString::fromUtf8(sink.Read(1, "subject")), QString("MOKOA-WebServer"));
        QCOMPARE(LoadRecipientHistory(), QStringList({"Mobile@Example.com", "phone@example.com"}));
        dialog.close();
    }
};

MOKOA_QT_TEST(WebServerDialogTest);
#include "web_server_dialog_test.moc"
