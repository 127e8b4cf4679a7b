// The mail account and the send dialog's last texts, section "EMAIL" of the settings. The
// desktop program and mokoa-convert read the same account.
#pragma once

#include "mail/smtp_client.h"

#include <QString>

#include <string>

struct MailAccount {
    QString from; // the sender of every mail
    QString smtp; // host name or address, optionally followed by ":port"
    QString pop;
    // The password as the settings file holds it: empty when the secret store keeps it.
    QString pass;
    // The keys a classic settings file lacks: port 0 means the one in `smtp`, else 25.
    int port = 0;
    SmtpSecurity security = SmtpSecurity::None;
    QString user = {}; // empty: no login
};

MailAccount LoadMailAccount();
// Writes the account; the keys beyond the classic ones only where they differ from what
// their absence means, and PASS only when it is not empty.
void StoreMailAccount(const MailAccount& account);

// How the settings name a security, and back ("none", "starttls", "tls").
QString SecurityName(SmtpSecurity security);
SmtpSecurity SecurityFromName(const QString& name);

// The last message text and attachment path of the send dialog.
QString DefaultMailBody();
QString LoadMailBody();
QString LoadMailImageFile();
void StoreMailTexts(const QString& body, const QString& imageFile);

// Where to deliver: "host" means port 25; "host:port" names another port.
struct SmtpServerAddress {
    std::string host;
    int port = 25;
    bool portGiven = false; // the text named the port
};
SmtpServerAddress ParseSmtpServer(const QString& text);

// The server, security and login of the account, with this password.
SmtpSettings MailSmtpSettings(const MailAccount& account, const QString& password);
