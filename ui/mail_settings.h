// The mail account and the send dialog's last texts, section "EMAIL" of the settings.
#pragma once

#include <QString>

#include <string>

struct MailAccount {
    QString from; // the sender of every mail
    QString smtp; // host name or address, optionally followed by ":port"
    QString pop;
    QString pass; // kept as typed; the settings file is readable by the user only
};

MailAccount LoadMailAccount();
void StoreMailAccount(const MailAccount& account);

// The last message text and attachment path of the send dialog.
QString DefaultMailBody();
QString LoadMailBody();
QString LoadMailImageFile();
void StoreMailTexts(const QString& body, const QString& imageFile);

// Where to deliver: "host" means port 25; "host:port" names another port.
struct SmtpServerAddress {
    std::string host;
    int port = 25;
};
SmtpServerAddress ParseSmtpServer(const QString& text);
