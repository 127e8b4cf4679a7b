#include "desktop/mail_settings.h"

#include "desktop/settings_store.h"

namespace {
constexpr const char* kSection = "EMAIL";

struct SecurityNameEntry {
    SmtpSecurity security;
    const char* name;
};
constexpr SecurityNameEntry kSecurityNames[] = {
    {SmtpSecurity::None, "none"},
    {SmtpSecurity::StartTls, "starttls"},
    {SmtpSecurity::Tls, "tls"},
};
} // namespace

QString SecurityName(SmtpSecurity security) {
    for (const auto& entry : kSecurityNames)
        if (entry.security == security)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("none");
}

SmtpSecurity SecurityFromName(const QString& name) {
    for (const auto& entry : kSecurityNames)
        if (name.trimmed().compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.security;
    return SmtpSecurity::None;
}

MailAccount LoadMailAccount() {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    MailAccount account;
    account.from = settings->value("FROM", QString()).toString();
    account.smtp = settings->value("SMTP", QString()).toString();
    account.pop = settings->value("POP", QString()).toString();
    account.pass = settings->value("PASS", QString()).toString();
    bool ok = false;
    const int port = settings->value("PORT", 0).toInt(&ok);
    account.port = ok && port >= 1 && port <= 65535 ? port : 0;
    account.security = SecurityFromName(settings->value("SECURITY", QString()).toString());
    account.user = settings->value("USER", QString()).toString();
    settings->endGroup();
    return account;
}

void StoreMailAccount(const MailAccount& account) {
    const auto settings = OpenUserSettings();
    settings->beginGroup(kSection);
    settings->setValue("FROM", account.from);
    settings->setValue("SMTP", account.smtp);
    settings->setValue("POP", account.pop);
    const auto keep = [&](const char* key, bool wanted, const QVariant& value) {
        if (wanted)
            settings->setValue(key, value);
        else
            settings->remove(key);
    };
    keep("PASS", !account.pass.isEmpty(), account.pass);
    keep("PORT", account.port > 0, account.port);
    keep("SECURITY", account.security != SmtpSecurity::None, SecurityName(account.security));
    keep("USER", !account.user.isEmpty(), account.user);
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
            return {trimmed.left(colon).toStdString(), port, true};
    }
    return {trimmed.toStdString(), 25, false};
}

SmtpSettings MailSmtpSettings(const MailAccount& account, const QString& password) {
    const SmtpServerAddress address = ParseSmtpServer(account.smtp);
    SmtpSettings settings;
    settings.host = address.host;
    settings.port = !address.portGiven && account.port > 0 ? account.port : address.port;
    settings.security = account.security;
    settings.user = account.user.toStdString();
    if (!account.user.isEmpty())
        settings.password = password.toStdString();
    return settings;
}
