#include "desktop/program_paths.h"

#include <QCoreApplication>

QString ExecutableFolder() {
    QString folder = QCoreApplication::applicationDirPath();
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}

namespace {

QString HelpPage(UiLanguage language, const char* page) {
    return ExecutableFolder() + (language == UiLanguage::kJapanese ? "help/" : "help/en/") + page;
}

} // namespace

QString HelpFilePath(UiLanguage language) {
    return HelpPage(language, "top.htm");
}
QString PluginPagePath(UiLanguage language) {
    return HelpPage(language, "plugins.htm");
}
QString TransferPagePath(UiLanguage language) {
    return HelpPage(language, "transfer.htm");
}
QString UpdatePagePath(UiLanguage language) {
    return HelpPage(language, "update.htm");
}
