#include "app/command_line.h"

#include <QUrl>

namespace {

// /Embedding, -automation, --Embedding, ...
bool IsStartupSwitch(QString word) {
    if (!word.startsWith('/') && !word.startsWith('-'))
        return false;
    while (word.startsWith('-') || word.startsWith('/'))
        word.remove(0, 1);
    return word.compare("Embedding", Qt::CaseInsensitive) == 0 ||
           word.compare("Automation", Qt::CaseInsensitive) == 0;
}

} // namespace

bool StartupPictureWanted(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i)
        if (IsStartupSwitch(arguments[i]))
            return false;
    return true;
}

QString PictureFileArgument(const QStringList& arguments) {
    bool onlyFiles = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& word = arguments[i];
        if (!onlyFiles) {
            if (word == "--") {
                onlyFiles = true;
                continue;
            }
            if (word.isEmpty() || word.startsWith('-') || IsStartupSwitch(word))
                continue;
        }
        if (word.startsWith("file:", Qt::CaseInsensitive)) {
            // Only this machine's files: a URL naming another host is no path here.
            const QUrl url(word);
            if (url.isLocalFile() && url.host().isEmpty())
                return url.toLocalFile();
            continue;
        }
        if (!word.isEmpty())
            return word;
    }
    return {};
}
