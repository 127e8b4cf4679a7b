// Mailing each converted file as the desktop program's send dialog does: the fixed subject,
// the settings' message text, the file attached.
#pragma once

#include "cli/mail_options.h"
#include "mail/smtp_client.h"

#include <iosfwd>
#include <memory>
#include <string>

class QCoreApplication;

class CliMailer {
public:
    // Settles the account and the password before anything is converted: from the options,
    // else the settings file of the desktop program; the password from --password-file,
    // MOKOA_SMTP_PASSWORD, or the stored account's (settings file, secret store). None,
    // with `error`, when something needed is missing.
    static std::unique_ptr<CliMailer> Prepare(const MailOptions& options, std::string& error);
    ~CliMailer();
    CliMailer(const CliMailer&) = delete;
    CliMailer& operator=(const CliMailer&) = delete;

    // Mails one written file; tells on `out` that it went, or on `err` why not.
    bool Send(const std::string& path, std::ostream& out, std::ostream& err);

private:
    CliMailer() = default;
    // The secret store is reached through Qt's event loop.
    void EnsureApplication();

    int argc_ = 1;
    char name_[14] = "mokoa-convert";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QCoreApplication> app_;
    SmtpSettings settings_;
    std::string to_, from_, body_;
};
