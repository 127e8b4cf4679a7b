#include "ui/command_texts.h"

#include "ui/command_table.h"

#include <QCoreApplication>

namespace {

// The halves are cut from the translated prompt by the same rule as from the original.
QString PromptPart(const CommandInfo& info, std::string (*part)(const char*)) {
    if (!info.prompt)
        return {};
    return QString::fromStdString(part(CommandText(info.prompt).toUtf8().constData()));
}

} // namespace

QString CommandText(const char* text) {
    return QCoreApplication::translate("Commands", text);
}

QString CommandStatusText(const CommandInfo& info) {
    return PromptPart(info, StatusText);
}

QString CommandTipText(const CommandInfo& info) {
    return PromptPart(info, TipText);
}
