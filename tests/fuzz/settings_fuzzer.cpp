// A hand-edited settings file: whatever it holds, the values read at start-up and by the
// mail dialogs are usable, and what the program writes back reads back the same.
#include "fuzz_support.h"

#include "desktop/mail_settings.h"
#include "desktop/settings_store.h"
#include "desktop/stored_settings.h"
#include "phone/formats.h"
#include "phone/phone_image_document.h"
#include "ui/recipient_history.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QVariant>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr char kDefaultFolder[] = "/default/folder/";

// QSettings rereads a file only when its size or time changed; every input gets a time of
// its own.
void WriteSettingsFile(const uint8_t* data, size_t size) {
    static long stamp = 1000000000;
    const QString path = UserSettingsPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
        fuzzsupport::Fail("cannot write the settings file");
    file.close();
    const timespec times[2] = {{++stamp, 0}, {stamp, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

// What the INI text itself can spell: text, bytes, the three geometry forms, lists of these.
bool IsPlainValue(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::UnknownType:
    case QMetaType::QString:
    case QMetaType::QStringList:
    case QMetaType::QByteArray:
    case QMetaType::QRect:
    case QMetaType::QSize:
    case QMetaType::QPoint:
        return true;
    case QMetaType::QVariantList: {
        const QVariantList items = value.toList();
        return std::all_of(items.begin(), items.end(), IsPlainValue);
    }
    default:
        return false;
    }
}

// Whatever the file held, QSettings must have rebuilt no value from serialized data: such a
// file is set aside before it is parsed.
void CheckNothingDeserialized() {
    const auto settings = OpenUserSettings();
    for (const QString& key : settings->allKeys()) {
        // A line such as "=x" gives a key QSettings itself will not look up.
        if (!key.isEmpty() && !IsPlainValue(settings->value(key)))
            fuzzsupport::Fail("a stored value was rebuilt from serialized data");
    }
}

void CheckPhoneSettings(const PhoneSettings& phone) {
    const PhoneImageDocument document(phone);
    const PhoneSettings used = document.Settings();
    if (used.selectedProfile < 0 || used.selectedProfile >= kProfileListCount ||
        used.selectedFormat < 0 || size_t(used.selectedFormat) >= OutputFormats().size() ||
        used.customWidth < kCustomSizeMin || used.customWidth > kCustomSizeMax ||
        used.customHeight < kCustomSizeMin || used.customHeight > kCustomSizeMax)
        fuzzsupport::Fail("a stored value out of range was taken as it stood");
    if (document.TargetWidth() <= 0 || document.TargetHeight() <= 0 ||
        document.TargetWidth() > 1000 || document.TargetHeight() > 1000)
        fuzzsupport::Fail("no usable target size");

    // Exit writes the values in use; the next start must find the same.
    {
        UserSettingsSection store;
        WritePhoneSettings(store, used);
    }
    if (!(ReadPhoneSettings(UserSettingsSection()) == used))
        fuzzsupport::Fail("the values written at exit read back differently");
}

void CheckFrameSettings(const FrameSettings& frame) {
    if (frame.loadFolder.isEmpty() || frame.saveFolder.isEmpty())
        fuzzsupport::Fail("a dialog would start in no folder");
    WriteFrameSettings(frame);
    const FrameSettings again = ReadFrameSettings(kDefaultFolder);
    if (again.loadFolder != frame.loadFolder || again.saveFolder != frame.saveFolder)
        fuzzsupport::Fail("the folders written at exit read back differently");
}

void CheckMailSettings() {
    const QStringList history = LoadRecipientHistory();
    if (history.size() > kRecipientHistorySize)
        fuzzsupport::Fail("more recipients read than the history holds");
    StoreRecipientHistory(history);
    if (LoadRecipientHistory() != history)
        fuzzsupport::Fail("the recipient history written back reads back differently");
    const MailAccount account = LoadMailAccount();
    const SmtpServerAddress server = ParseSmtpServer(account.smtp);
    const SmtpSettings settings = MailSmtpSettings(account, "pw");
    if (server.port < 1 || server.port > 65535 || settings.port < 1 || settings.port > 65535)
        fuzzsupport::Fail("a mail server port out of range");
    // What the account dialog writes back reads back the same.
    StoreMailAccount(account);
    const MailAccount again = LoadMailAccount();
    if (again.smtp != account.smtp || again.port != account.port ||
        again.security != account.security || again.user != account.user ||
        again.pass != account.pass)
        fuzzsupport::Fail("the mail account written back reads back differently");
    LoadMailBody();
    LoadMailImageFile();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A private settings folder, so that a run never touches the user's own file.
    static fuzzsupport::ScratchFile home("home");
    QDir().mkpath(QString::fromStdString(home.path()));
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() + "/.config").c_str(), 1);
    // A file set aside is expected here, not news.
    QLoggingCategory::setFilterRules(QStringLiteral("mokoa.settings.warning=false"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WriteSettingsFile(data, size);
    CheckNothingDeserialized();
    CheckFrameSettings(ReadFrameSettings(kDefaultFolder));
    CheckPhoneSettings(ReadPhoneSettings(UserSettingsSection()));
    CheckMailSettings();
    return 0;
}
