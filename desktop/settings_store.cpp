#include "desktop/settings_store.h"

#include "desktop/settings_text_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

Q_LOGGING_CATEGORY(lcSettings, "mokoa.settings")

// Far beyond anything the program writes (a few folders, an account, a mail text); a
// bigger file is not ours and would only be read whole into memory.
constexpr off_t kMaxSettingsFileSize = 16 * 1024 * 1024;

// Why the open settings file (fd) must not reach QSettings, or empty when it may.
QString UnsafeSettingsReason(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return {};
    // A pipe or a device could be read for ever.
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a regular file");
    if (info.st_size > kMaxSettingsFileSize)
        return QStringLiteral("it is larger than %1 MB").arg(kMaxSettingsFileSize >> 20);
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
        return {};
    const QByteArray text = file.read(info.st_size);
    if (HoldsSerializedSettingsValue(std::string_view(text.constData(), size_t(text.size()))))
        return QStringLiteral("it holds serialized data that this program never writes");
    return {};
}

// Moves a file that is unsafe to parse out of the way (to <name>.damaged), so that the
// program starts from its defaults and the user can still look at what was there. Returns
// the path QSettings should use.
QString SetAsideIfUnsafe(const QString& path, int fd) {
    const QString reason = UnsafeSettingsReason(fd);
    if (reason.isEmpty())
        return path;
    const QString aside = path + QStringLiteral(".damaged");
    const int moved =
        ::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData());
    const int why = errno;
    if (moved == 0) {
        qCWarning(lcSettings, "Settings file %s set aside as %s: %s; starting from the defaults",
                  qUtf8Printable(path), qUtf8Printable(aside), qUtf8Printable(reason));
        return path;
    }
    qCWarning(lcSettings,
              "Settings file %s not read: %s, and it cannot be moved aside (%s); the settings "
              "of this session will not be kept",
              qUtf8Printable(path), qUtf8Printable(reason), strerror(why));
    // A path below a device can be neither read nor created, even by root, so the defaults
    // are read and nothing is written anywhere.
    return QStringLiteral("/dev/null/") + QFileInfo(path).fileName();
}

// Creates the file private, or narrows one that others could read.
int OpenPrivately(const QByteArray& native) {
    // Not blocking, in case the name leads to a pipe.
    const int fd = ::open(native.constData(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd >= 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 077) != 0)
            ::fchmod(fd, info.st_mode & 0700);
    }
    return fd;
}

} // namespace

QString UserSettingsPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + "/" + kOrganisationName + "/" + QString::fromUtf8(kApplicationName) + ".ini";
}

std::unique_ptr<QSettings> OpenUserSettings() {
    QString path = UserSettingsPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    // QSettings rewrites the file through a temporary copy that keeps the existing file's
    // permissions, so the file only has to start out private.
    const int fd = OpenPrivately(QFile::encodeName(path));
    if (fd >= 0) {
        path = SetAsideIfUnsafe(path, fd);
        ::close(fd);
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}
