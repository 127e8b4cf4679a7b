#include "desktop/shell_open.h"

#include <QDesktopServices>
#include <QUrl>

bool ShellOpen(const QString& target) {
    if (target.isEmpty())
        return false;
    // Paths start with "/"; anything else must carry its own scheme (http:, mailto:, ...).
    const QUrl url = target.startsWith('/') ? QUrl::fromLocalFile(target) : QUrl(target);
    if (!url.isValid())
        return false;
    return QDesktopServices::openUrl(url);
}
