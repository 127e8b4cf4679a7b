// A settings file that Qt must not parse: serialized values however they are spelled, and
// files too big or not files at all. Such a file is set aside and the program starts from
// its defaults. Folders, addresses and mail texts as Qt writes them pass, markers and all.
// The file holds the mail password: it is created private whatever the umask, and one that
// is a link or another user's is neither read nor written.
#include "desktop/settings_store.h"
#include "desktop/settings_text_check.h"
#include "desktop/stored_settings.h"
#include "tests/common/qt_test_support.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

bool Holds(const QByteArray& text) {
    return HoldsSerializedSettingsValue(std::string_view(text.constData(), size_t(text.size())));
}

bool WriteFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size();
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The escaped bytes of a harmless serialized value (the number 5), as Qt writes them.
QByteArray SerializedFive() {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_4_0);
    stream << QVariant(5);
    QByteArray escaped;
    for (const char c : bytes)
        escaped += "\\x" + QByteArray::number(uchar(c), 16);
    return escaped;
}

} // namespace

class SettingsFileTest : public QObject {
    Q_OBJECT
private slots:
    // Each spelling is first shown to make Qt rebuild the value, so the cases are real.
    void serializedValuesAreFoundHoweverSpelled_data() {
        QTest::addColumn<QByteArray>("value");
        const QByteArray payload = SerializedFive() + ")";
        QTest::newRow("plain") << "@Variant(" + payload;
        QTest::newRow("date and time form") << "@DateTime(" + payload;
        QTest::newRow("blanks first") << " \t@Variant(" + payload;
        QTest::newRow("quoted") << "\"@Variant(" + payload + "\"";
        QTest::newRow("quotes inside") << "@\"Var\"iant(" + payload;
        QTest::newRow("blank after a closing quote") << "\"@\" Variant(" + payload;
        QTest::newRow("second list item") << "a, @Variant(" + payload;
        QTest::newRow("hex escaped @") << "\\x40Variant(" + payload;
        QTest::newRow("long hex escape") << "\\x0000040Variant(" + payload;
        QTest::newRow("octal escaped @") << "\\100Variant(" + payload;
        QTest::newRow("unknown escape dropped") << "@\\qVariant(" + payload;
        QTest::newRow("empty hex escape dropped") << "@\\xVariant(" + payload;
        QTest::newRow("continued line") << "@Vari\\\nant(" + payload;
        QTest::newRow("escaped equals sign first") << "\\=@Variant(" + payload;
        QTest::newRow("after a quoted item") << "\"a, b\",@Variant(" + payload;
        QTest::newRow("quoted item") << "a,\"@Variant(" + payload + "\"";
    }
    void serializedValuesAreFoundHoweverSpelled() {
        QFETCH(QByteArray, value);
        const QByteArray text = "[SETTING]\nkey=" + value + "\n";
        QTemporaryDir folder;
        const QString path = folder.filePath("probe.ini");
        QVERIFY(WriteFile(path, text));
        const QVariant read = QSettings(path, QSettings::IniFormat).value("SETTING/key");
        const QVariant item =
            read.typeId() == QMetaType::QVariantList ? read.toList().last() : read;
        QVERIFY2(item.typeId() != QMetaType::QString, "Qt keeps this one as text");
        QVERIFY(Holds(text));
    }

    // Markers Qt reads as text: inside quotes, in a comment, after quoted blanks.
    void markersInTextAreNotTakenForSerialized_data() {
        QTest::addColumn<QByteArray>("value");
        const QByteArray payload = SerializedFive() + ")";
        QTest::newRow("quoted comma") << "\"x,@Variant(" + payload + "\"";
        QTest::newRow("quoted comma, quotes closed after") << "x\",\"@Variant(" + payload;
        QTest::newRow("comment") << "x ;,@Variant(" + payload;
        QTest::newRow("quoted blanks first") << "x, \"  @Variant(" + payload + "\"";
        QTest::newRow("doubled @") << "@@Variant(" + payload;
    }
    void markersInTextAreNotTakenForSerialized() {
        QFETCH(QByteArray, value);
        const QByteArray text = "[EMAIL]\nBODY=" + value + "\n";
        QTemporaryDir folder;
        const QString path = folder.filePath("probe.ini");
        QVERIFY(WriteFile(path, text));
        const QVariant read = QSettings(path, QSettings::IniFormat).value("EMAIL/BODY");
        QVERIFY2(read.typeId() == QMetaType::QString || read.typeId() == QMetaType::QStringList,
                 "Qt rebuilds this one");
        QVERIFY(!Holds(text));
    }

    void valuesTheProgramWritesAreNotTakenForSerialized() {
        QTemporaryDir folder;
        const QString path = folder.filePath("written.ini");
        {
            QSettings settings(path, QSettings::IniFormat);
            settings.setValue("EMAIL/FROM", "me@example.com");
            settings.setValue("EMAIL/TO(1)", "Ann (work) <ann@example.com>");
            settings.setValue("EMAIL/BODY", "see @Variant(x) and @DateTime(y), \"quoted\"\n\\x40");
            settings.setValue("EMAIL/POP", "hello,@Variant(x), @DateTime(y)");
            settings.setValue("EMAIL/IMGFILE", "@Variant(not data)");
            settings.setValue("SETTING/LOAD_PATH", QString::fromUtf8("/home/me/@写真 (古い)/"));
            settings.setValue("SETTING/SAVE_PATH", "@DateTime(");
            settings.setValue("SETTING/HV_LOCK", 1);
            settings.setValue("SETTING/LIST", QStringList{"@Variant(", "b"});
        }
        const QByteArray text = ReadFile(path);
        QVERIFY(text.contains("@Variant("));
        QVERIFY2(!Holds(text), text.constData());
        QVERIFY(!Holds(""));
        QVERIFY(!Holds("\\"));
        QVERIFY(!Holds("\\x"));
        QVERIFY(!Holds("@Variant("));
    }

    void unsafeFileIsSetAsideAndDefaultsUsed_data() {
        QTest::addColumn<QByteArray>("text");
        // A list said to hold a billion entries.
        QTest::newRow("huge count")
            << QByteArray("[SETTING]\nLOAD_PATH=/pictures/\nTO_COUNT=@Variant(\\0\\0\\0\\x9\\0"
                          "\\x3b\\x9a\\xca\\0)\n");
        QTest::newRow("bigger than any settings file")
            << "[SETTING]\nLOAD_PATH=/pictures/\nBODY=" + QByteArray(17 << 20, 'a') + "\n";
    }
    void unsafeFileIsSetAsideAndDefaultsUsed() {
        QFETCH(QByteArray, text);
        const QString path = UserSettingsPath();
        const QString aside = path + ".damaged";
        QFile::remove(aside);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(WriteFile(path, text));

        QCOMPARE(ReadFrameSettings("/default/").loadFolder, QString("/default/"));
        QCOMPARE(ReadFile(aside), text);
        // The new file works as usual.
        FrameSettings frame = ReadFrameSettings("/default/");
        frame.loadFolder = "/chosen/";
        WriteFrameSettings(frame);
        QCOMPARE(ReadFrameSettings("/default/").loadFolder, QString("/chosen/"));
        QCOMPARE(ReadFile(aside), text);
    }

    // The password never lies readable to others, not even in the file made after one was
    // set aside, and no folder on the way to it lets others plant anything.
    void createdPrivateWhateverTheUmask() {
        const QString path = UserSettingsPath();
        const QString folder = QFileInfo(path).absolutePath();
        QDir(folder).removeRecursively();
        const mode_t old = ::umask(0);
        ReadFrameSettings("/default/");
        QVERIFY(WriteFile(path, "[EMAIL]\nPASS=@Variant(\\0\\0\\0\\x9\\0\\xff\\xff)\n"));
        FrameSettings frame = ReadFrameSettings("/default/"); // sets it aside
        frame.loadFolder = "/chosen/";
        WriteFrameSettings(frame);
        ::umask(old);
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, mode_t(0700));
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(info.st_mode & 077, mode_t(0));
        QCOMPARE(ReadFrameSettings("/default/").loadFolder, QString("/chosen/"));
    }

    // Whoever could plant a link there, or own the file, would read the password.
    void notPrivatelyOursIsNeitherReadNorWritten_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("link to a file") << "link";
        QTest::newRow("another user's file") << "foreign";
        QTest::newRow("link in place of the folder") << "folder link";
    }
    void notPrivatelyOursIsNeitherReadNorWritten() {
        QFETCH(QString, kind);
        const QString path = UserSettingsPath();
        const QString folder = QFileInfo(path).absolutePath();
        QDir(folder).removeRecursively();
        QTemporaryDir elsewhere;
        const QByteArray text = "[SETTING]\nLOAD_PATH=/planted/\n";
        const QString target = elsewhere.filePath("target.ini");
        QVERIFY(WriteFile(target, text));
        if (kind == "folder link") {
            QVERIFY(QFile::link(elsewhere.path(), folder));
            QVERIFY(QFile::rename(target, elsewhere.filePath(QFileInfo(path).fileName())));
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (kind == "link")
                QVERIFY(QFile::link(target, path));
            else if (!QFile::copy(target, path) ||
                     ::chown(QFile::encodeName(path).constData(), 65534, 65534) != 0)
                QSKIP("cannot give the file to another user here");
        }
        const QString planted = kind == "link" ? target
                                : kind == "foreign"
                                    ? path
                                    : elsewhere.filePath(QFileInfo(path).fileName());

        QCOMPARE(ReadFrameSettings("/default/").loadFolder, QString("/default/"));
        FrameSettings frame;
        frame.loadFolder = "/secret/";
        WriteFrameSettings(frame);
        QCOMPARE(ReadFile(planted), text);
        QCOMPARE(QDir(elsewhere.path()).entryList(QDir::Files).size(), 1);
        QFile::remove(path);
        QFile::remove(folder);
    }

    // Nothing waits on a writer that never comes.
    void pipeInPlaceOfTheFileIsSetAside() {
        const QString path = UserSettingsPath();
        QFile::remove(path);
        QFile::remove(path + ".damaged");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        QCOMPARE(ReadFrameSettings("/default/").saveFolder, QString("/default/"));
        QVERIFY(QFileInfo(path + ".damaged").exists());
        QVERIFY(!QFileInfo(path).exists() || QFileInfo(path).isFile());
    }
};

MOKOA_QT_TEST(SettingsFileTest);
#include "settings_file_test.moc"
