#include "app/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString UserSettingsPath() {
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config + "/" + kOrganisationName + "/" + QString::fromUtf8(kApplicationName) + ".ini";
}

std::unique_ptr<QSettings> OpenUserSettings() {
    const QString path = UserSettingsPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray native = QFile::encodeName(path);
    // QSettings rewrites the file through a temporary copy that keeps the existing file's
    // permissions, so the file only has to start out private.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && (info.st_mode & 077) != 0)
            ::fchmod(fd, info.st_mode & 0700);
        ::close(fd);
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}
