#include "cli/mail_sender.h"

#include "desktop/mail_password.h"
#include "desktop/mail_settings.h"
#include "desktop/settings_store.h"
#include "mail/mime_mail.h"
#include "mail/wire_text.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <ostream>

namespace {

// Far more than any password; a bigger file is not one.
constexpr size_t kPasswordFileMax = 4096;

bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    std::string text(kPasswordFileMax + 1, '\0');
    if (in)
        in.read(text.data(), std::streamsize(text.size()));
    if (!in && !in.eof()) {
        error = "cannot read the password file '" + path + "'";
        return false;
    }
    text.resize(size_t(in.gcount()));
    if (text.size() > kPasswordFileMax) {
        error = "the password file '" + path + "' is too large to hold a password";
        return false;
    }
    // The first line; its end is not part of the password.
    text.resize(std::min(text.size(), text.find('\n')));
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    password = text;
    return true;
}

} // namespace

CliMailer::~CliMailer() = default;

void CliMailer::EnsureApplication() {
    if (!QCoreApplication::instance())
        app_ = std::make_unique<QCoreApplication>(argc_, argv_);
}

std::unique_ptr<CliMailer> CliMailer::Prepare(const MailOptions& options, std::string& error) {
    std::unique_ptr<CliMailer> mailer(new CliMailer());
    // The settings file is read when there is one; the command line never creates it.
    const bool settingsFile = QFile::exists(UserSettingsPath());
    const bool storedAccount = options.smtp.empty();
    MailAccount account;
    if (settingsFile && storedAccount)
        account = LoadMailAccount();
    if (!storedAccount) {
        account.smtp = QString::fromStdString(options.smtp);
        if (account.smtp.contains(':') && !ParseSmtpServer(account.smtp).portGiven) {
            error = "--smtp needs HOST or HOST:PORT with a port from 1 to 65535";
            return nullptr;
        }
    }
    if (account.smtp.trimmed().isEmpty()) {
        error = "no SMTP server: give --smtp HOST[:PORT], or set up the mail account in the "
                "desktop program";
        return nullptr;
    }
    if (!options.from.empty())
        account.from = QString::fromStdString(options.from);
    if (account.from.isEmpty()) {
        error = "no sender address: give --from ADDRESS";
        return nullptr;
    }
    if (options.security)
        account.security = *options.security;
    const bool storedUser = !options.user || QString::fromStdString(*options.user) == account.user;
    if (options.user)
        account.user = QString::fromStdString(*options.user);
    if (!account.user.isEmpty() && account.security == SmtpSecurity::None) {
        error = "the user name needs --security starttls or tls: the password never goes out "
                "unprotected";
        return nullptr;
    }
    CPlainMail check;
    if (!check.AddRecipients(options.to, RECIPIENT_TO)) {
        error = "--mail: '" + options.to + "' is not a recipient text (NAME<ADDRESS>;...)";
        return nullptr;
    }
    if (!options.caFile.empty() && !std::ifstream(options.caFile)) {
        error = "cannot read the certificate authority file '" + options.caFile + "'";
        return nullptr;
    }

    std::string password;
    const char* fromEnvironment = std::getenv("MOKOA_SMTP_PASSWORD");
    if (!options.passwordFile.empty()) {
        if (!ReadPasswordFile(options.passwordFile, password, error))
            return nullptr;
    } else if (fromEnvironment && *fromEnvironment) {
        password = fromEnvironment;
    } else if (!account.user.isEmpty() && storedAccount && storedUser) {
        mailer->EnsureApplication();
        password = MailPassword(account).toStdString();
    }
    if (!account.user.isEmpty() && password.empty()) {
        error = "no password for '" + account.user.toStdString() +
                "': give --password-file PATH or set MOKOA_SMTP_PASSWORD";
        return nullptr;
    }

    mailer->settings_ = MailSmtpSettings(account, QString::fromStdString(password));
    mailer->settings_.caFile = options.caFile;
    mailer->to_ = options.to;
    mailer->from_ = account.from.toStdString();
    mailer->body_ = (settingsFile ? LoadMailBody() : DefaultMailBody()).toStdString();
    return mailer;
}

bool CliMailer::Send(const std::string& path, std::ostream& out, std::ostream& err) {
    CMimeMail mail;
    mail.from = from_;
    mail.subject = ImageMailSubject();
    mail.body = body_;
    mail.AddRecipients(to_, RECIPIENT_TO);
    mail.AddPart(path, AttachmentPartType(path).value_or(PART_FILE), "");
    const SmtpDelivery delivery = DeliverMail(settings_, mail);
    if (delivery.outcome == SmtpOutcome::Sent) {
        out << "  mailed to " << to_ << "\n";
        return true;
    }
    err << path << ": not mailed: " << delivery.errorText << "\n";
    return false;
}
