#include "app/command_line.h"

bool StartupPictureWanted(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        QString word = arguments[i];
        if (!word.startsWith('/') && !word.startsWith('-'))
            continue;
        while (word.startsWith('-') || word.startsWith('/'))
            word.remove(0, 1);
        if (word.compare("Embedding", Qt::CaseInsensitive) == 0 ||
            word.compare("Automation", Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}
