// The options that mail each converted file (--mail and the account it goes through).
#pragma once

#include "mail/smtp_client.h"

#include <optional>
#include <string>
#include <vector>

struct MailOptions {
    std::string to;   // --mail: the recipient text; empty when nothing is mailed
    std::string smtp; // HOST[:PORT]; empty: the account of the settings file
    std::optional<SmtpSecurity> security;
    std::optional<std::string> user;
    std::string from;
    std::string passwordFile;
    std::string caFile;

    bool Wanted() const { return !to.empty(); }
};

// Whether the argument names one of the mail options.
bool IsMailOption(const std::string& arg);
// Reads the mail option at args[i] (and its value, moving i on); false with `error` when
// the value is missing or wrong.
bool ParseMailOption(const std::vector<std::string>& args, size_t& i, MailOptions& mail,
                     std::string& error);
// What is wrong with the mail options as a whole (empty when nothing is); `exporting`
// tells whether the run exports the source instead of converting.
std::string CheckMailOptions(const MailOptions& mail, bool exporting);
