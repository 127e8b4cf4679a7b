#include "app/command_line.h"
#include "desktop/program_paths.h"
#include "desktop/settings_store.h"
#include "desktop/shell_open.h"
#include "tests/common/qt_test_support.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

namespace {

int FileMode(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

} // namespace

class CommandLineAndSettingsTest : public QObject {
    Q_OBJECT
private slots:
    void switchesSuppressTheStartupPicture_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("wanted");
        QTest::newRow("none") << QStringList{"mokoa"} << true;
        QTest::newRow("/Embedding") << QStringList{"mokoa", "/Embedding"} << false;
        QTest::newRow("-automation") << QStringList{"mokoa", "-automation"} << false;
        QTest::newRow("EMBEDDING after a file")
            << QStringList{"mokoa", "cat.png", "/EMBEDDING"} << false;
        // A file name is ignored, even one spelled like the switch.
        QTest::newRow("file named Embedding") << QStringList{"mokoa", "Embedding"} << true;
        QTest::newRow("absolute path") << QStringList{"mokoa", "/home/Embedding"} << true;
        QTest::newRow("other switch") << QStringList{"mokoa", "/Embed"} << true;
        // The program's own name is not an argument.
        QTest::newRow("program name") << QStringList{"/Embedding"} << true;
    }
    void switchesSuppressTheStartupPicture() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, wanted);
        QCOMPARE(StartupPictureWanted(arguments), wanted);
    }

    void pictureFileArgument_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::newRow("none") << QStringList{"mokoa", "/Embedding"} << QString();
        QTest::newRow("first of several")
            << QStringList{"mokoa", "-x", "/Automation", "a b.jpg", "c.png"} << "a b.jpg";
        QTest::newRow("absolute path")
            << QStringList{"mokoa", "/home/Embedding"} << "/home/Embedding";
        QTest::newRow("file URL") << QStringList{"mokoa", "file:///tmp/%E7%8C%AB.png"}
                                  << "/tmp/猫.png";
        QTest::newRow("remote URL skipped")
            << QStringList{"mokoa", "file://host/x.png", "y.png"} << "y.png";
        QTest::newRow("after --") << QStringList{"mokoa", "--", "-dash.png"} << "-dash.png";
        QTest::newRow("program name") << QStringList{"mokoa.png"} << QString();
    }
    void pictureFileArgument() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QCOMPARE(PictureFileArgument(arguments), file);
    }

    void settingsFileIsPrivateAndUnderTheCompanyKey() {
        const QString path = UserSettingsPath();
        QVERIFY(path.startsWith(qttest::ConfigHome()));
        QVERIFY(path.endsWith("/NAVA/モコア.ini"));
        QFile::remove(path);
        {
            auto settings = OpenUserSettings();
            settings->setValue("EMAIL/PASS", "secret");
        }
        QCOMPARE(FileMode(path), 0600);
        // Rewriting keeps it private; a file others could read is narrowed on open.
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                        QFileDevice::ReadGroup | QFileDevice::ReadOther);
        {
            auto settings = OpenUserSettings();
            QCOMPARE(settings->value("EMAIL/PASS").toString(), QString("secret"));
            settings->setValue("EMAIL/PASS", "other");
        }
        QCOMPARE(FileMode(path), 0600);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("[EMAIL]"));
    }

    void shellOpenHandsPathsAndAddressesToTheDesktop() {
        qttest::UrlCatcher catcher;
        QDesktopServices::setUrlHandler("file", &catcher, "open");
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        QVERIFY(ShellOpen(HelpFilePath()));
        QVERIFY(ShellOpen("https://example.invalid/page"));
        QVERIFY(!ShellOpen(QString()));
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
        QCOMPARE(catcher.urls.size(), 2);
        QCOMPARE(catcher.urls[0], QUrl::fromLocalFile(HelpFilePath()));
        QCOMPARE(catcher.urls[1].host(), QString("example.invalid"));
    }

    void helpPagesLieBesideTheExecutableInBothLanguages() {
        for (const auto& [language, tag] : {std::pair{UiLanguage::kJapanese, "lang=\"ja\""},
                                            {UiLanguage::kEnglish, "lang=\"en\""}})
            for (const QString& page : {HelpFilePath(language), PluginPagePath(language),
                                        TransferPagePath(language), UpdatePagePath(language)}) {
                QVERIFY2(QFileInfo::exists(page), qPrintable(page));
                QFile file(page);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                QVERIFY2(text.contains(tag), qPrintable(page));
                // Each page's style sheet is found from where it lies.
                const QRegularExpression sheet("href=\"([^\"]*\\.css)\"");
                const QRegularExpressionMatch match = sheet.match(text);
                QVERIFY(match.hasMatch());
                QVERIFY2(QFileInfo::exists(QFileInfo(page).dir().filePath(match.captured(1))),
                         qPrintable(page));
            }
    }
};

MOKOA_QT_TEST(CommandLineAndSettingsTest);
#include "app_test.moc"
