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

// Where QSettings reads nothing and writes nothing: a path below a device can be neither
// read nor created, even by root.
QString UnusablePath(const QString& path) {
    return QStringLiteral("/dev/null/") + QFileInfo(path).fileName();
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
    return UnusablePath(path);
}

// Why the settings must not be written into this file (fd), or empty when they may: it is
// not ours, or it cannot be made private.
QString RefusalReason(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return {}; // set aside below, as anything unreadable is
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 077) != 0 && ::fchmod(fd, info.st_mode & 0700) != 0)
        return QStringLiteral("it cannot be made private (%1)")
            .arg(QString::fromLocal8Bit(strerror(errno)));
    return {};
}

// Opens the file, creating it private, and narrows one that others could read. A symbolic
// link is never followed: whoever could plant it would receive the password. -1 with the
// reason when the file must not be used; -1 without one when it cannot be opened at all
// (QSettings then finds no values, as before).
int OpenPrivately(const QByteArray& native, QString* refusal) {
    // Not blocking, in case the name leads to a pipe.
    const int fd =
        ::open(native.constData(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        if (errno == ELOOP)
            *refusal = QStringLiteral("it is a symbolic link");
        return -1;
    }
    *refusal = RefusalReason(fd);
    if (!refusal->isEmpty()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Creates the missing folders of the path, each readable by the user only, and checks that
// the last one is the user's own real folder that nobody else can write into (others'
// write permission on it is taken away). The reason when it is not.
QString PreparePrivateFolder(const QString& folder) {
    const QByteArray native = QFile::encodeName(QDir::cleanPath(folder));
    for (qsizetype at = native.indexOf('/', 1);; at = native.indexOf('/', at + 1)) {
        const QByteArray part = at < 0 ? native : native.left(at);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return QStringLiteral("its folder %1 cannot be created (%2)")
                .arg(QFile::decodeName(part), QString::fromLocal8Bit(strerror(errno)));
        if (at < 0)
            break;
    }
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return QStringLiteral("its folder is not a folder of its own (a link?)");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("its folder belongs to another user");
    if ((info.st_mode & 022) != 0 && ::chmod(native.constData(), info.st_mode & ~mode_t(022)) != 0)
        return QStringLiteral("its folder is writable by others and cannot be narrowed");
    return {};
}

} // namespace

QString UserSettingsPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + "/" + kOrganisationName + "/" + QString::fromUtf8(kApplicationName) + ".ini";
}

std::unique_ptr<QSettings> OpenUserSettings() {
    QString path = UserSettingsPath();
    const QByteArray native = QFile::encodeName(path);
    // QSettings rewrites the file through a temporary copy that keeps the existing file's
    // permissions, so the file only has to start out private.
    QString refusal = PreparePrivateFolder(QFileInfo(path).absolutePath());
    const int fd = refusal.isEmpty() ? OpenPrivately(native, &refusal) : -1;
    if (!refusal.isEmpty()) {
        qCWarning(lcSettings,
                  "Settings file %s not used: %s; the settings of this session will not be kept",
                  qUtf8Printable(path), qUtf8Printable(refusal));
        return std::make_unique<QSettings>(UnusablePath(path), QSettings::IniFormat);
    }
    if (fd >= 0) {
        path = SetAsideIfUnsafe(path, fd);
        ::close(fd);
        // The file set aside is replaced by a new private one before QSettings writes it.
        if (path == UserSettingsPath()) {
            const int fresh = OpenPrivately(native, &refusal);
            if (fresh >= 0)
                ::close(fresh);
            else if (!refusal.isEmpty())
                path = UnusablePath(path);
        }
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}
