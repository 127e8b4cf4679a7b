#include "ui/mail_settings.h"

#include "desktop/settings_store.h"

namespace {
constexpr const char* kSection = "EMAIL";
} // namespace

MailAccount LoadMailAccount() {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    MailAccount account;
    account.from = settings->value("FROM", QString()).toString();
    account.smtp = settings->value("SMTP", QString()).toString();
    account.pop = settings->value("POP", QString()).toString();
    account.pass = settings->value("PASS", QString()).toString();
    settings->endGroup();
    return account;
}

void StoreMailAccount(const MailAccount& account) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    settings->setValue("FROM", account.from);
    settings->setValue("SMTP", account.smtp);
    settings->setValue("POP", account.pop);
    settings->setValue("PASS", account.pass);
    settings->endGroup();
}

QString DefaultMailBody() {
    return QStringLiteral("本文を入力してください");
}

QString LoadMailBody() {
    const auto settings = OpenUserSettings();
    return settings->value(QStringLiteral("%1/BODY").arg(kSection), DefaultMailBody()).toString();
}

QString LoadMailImageFile() {
    const auto settings = OpenUserSettings();
    return settings->value(QStringLiteral("%1/IMGFILE").arg(kSection), QString()).toString();
}

void StoreMailTexts(const QString& body, const QString& imageFile) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    settings->setValue("BODY", body);
    settings->setValue("IMGFILE", imageFile);
    settings->endGroup();
}

SmtpServerAddress ParseSmtpServer(const QString& text) {
    const QString trimmed = text.trimmed();
    const qsizetype colon = trimmed.lastIndexOf(':');
    if (colon > 0) {
        bool ok = false;
        const int port = trimmed.mid(colon + 1).toInt(&ok);
        if (ok && port >= 1 && port <= 65535)
            return {trimmed.left(colon).toStdString(), port};
    }
    return {trimmed.toStdString(), 25};
}
