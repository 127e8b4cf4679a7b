#include "cli/mail_options.h"

#include <array>

namespace {

constexpr std::array<const char*, 7> kMailOptions = {
    "--mail", "--smtp", "--security", "--user", "--from", "--password-file", "--ca-file"};

} // namespace

bool IsMailOption(const std::string& arg) {
    for (const char* option : kMailOptions)
        if (arg == option)
            return true;
    return false;
}

bool ParseMailOption(const std::vector<std::string>& args, size_t& i, MailOptions& mail,
                     std::string& error) {
    const std::string& option = args[i];
    if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = option + " needs a value";
        return false;
    }
    const std::string& value = args[++i];
    if (option == "--mail") {
        mail.to = value;
    } else if (option == "--smtp") {
        mail.smtp = value;
    } else if (option == "--security") {
        if (value == "none")
            mail.security = SmtpSecurity::None;
        else if (value == "starttls")
            mail.security = SmtpSecurity::StartTls;
        else if (value == "tls")
            mail.security = SmtpSecurity::Tls;
        else {
            error = "--security needs none, starttls or tls";
            return false;
        }
    } else if (option == "--user") {
        mail.user = value;
    } else if (option == "--from") {
        mail.from = value;
    } else if (option == "--password-file") {
        mail.passwordFile = value;
    } else {
        mail.caFile = value;
    }
    return true;
}

std::string CheckMailOptions(const MailOptions& mail, bool exporting) {
    if (!mail.Wanted()) {
        if (!mail.smtp.empty() || mail.security || mail.user || !mail.from.empty() ||
            !mail.passwordFile.empty() || !mail.caFile.empty())
            return "the mail account options need --mail";
        return {};
    }
    if (exporting)
        return "--mail sends converted files; it does not go with --export-source";
    if (mail.user && !mail.user->empty() && mail.security == SmtpSecurity::None)
        return "--user needs --security starttls or tls: the password never goes out "
               "unprotected";
    return {};
}
