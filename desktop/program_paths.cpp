#include "desktop/program_paths.h"

#include <QCoreApplication>

QString ExecutableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

QString HelpFilePath() {
    return ExecutableFolder() + "help/top.htm";
}
QString PluginPagePath() {
    return ExecutableFolder() + "help/plugins.htm";
}
QString TransferPagePath() {
    return ExecutableFolder() + "help/transfer.htm";
}
QString UpdatePagePath() {
    return ExecutableFolder() + "help/update.htm";
}
