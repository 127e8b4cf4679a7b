#include "mail/plain_mail.h"

#include "mail/wire_text.h"

#include <locale.h>

namespace {

bool KnownKind(RecipientKind kind) {
    return kind >= RECIPIENT_TO && kind <= RECIPIENT_BCC;
}

// English day and month names whatever locale the program runs in.
std::string FormatDate(std::time_t when) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    std::tm local{};
    if (!localtime_r(&when, &local))
        return {};
    char text[128];
    const char* format = "%a, %d %b %y %H:%M:%S %Z";
    const size_t n = cLocale ? strftime_l(text, sizeof text, format, &local, cLocale)
                             : strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

} // namespace

void EnsureLineEnd(std::string& text) {
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0)
        text += "\r\n";
}

CPlainMail::CPlainMail() : mailer("MOKOA 0.82B") {}

CPlainMail::~CPlainMail() = default;

bool CPlainMail::AddRecipient(std::string_view address, std::string_view name, RecipientKind kind) {
    if (!KnownKind(kind))
        return false;
    recipients_[kind].push_back(Recipient{std::string(address), std::string(name)});
    return true;
}

bool CPlainMail::AddRecipients(std::string_view text, RecipientKind kind) {
    for (;;) {
        const size_t semicolon = text.find(';');
        const std::string_view piece = text.substr(0, semicolon);
        const size_t open = piece.find('<');
        if (open == std::string_view::npos) {
            AddRecipient(piece, {}, kind);
        } else {
            const size_t close = piece.find('>');
            if (close == std::string_view::npos || close < open)
                return false;
            AddRecipient(piece.substr(open + 1, close - open - 1), piece.substr(0, open), kind);
        }
        if (semicolon == std::string_view::npos)
            return true;
        text.remove_prefix(semicolon + 1);
    }
}

size_t CPlainMail::RecipientCount(RecipientKind kind) const {
    return KnownKind(kind) ? recipients_[kind].size() : 0;
}

bool CPlainMail::GetRecipient(size_t index, RecipientKind kind, std::string& address,
                              std::string& name) const {
    if (!KnownKind(kind) || index >= recipients_[kind].size())
        return false;
    address = recipients_[kind][index].address;
    name = recipients_[kind][index].name;
    return true;
}

void CPlainMail::FormatMessage() {
    ClearHeader();
    FormatHeader();
    EndHeader();
    FormatBody();
}

std::string CPlainMail::RecipientLine(RecipientKind kind) const {
    std::string line;
    for (const Recipient& r : recipients_[kind]) {
        if (!line.empty())
            line += ',';
        line += ToWireName(r.name);
        line += '<';
        line += r.address;
        line += '>';
    }
    return line;
}

void CPlainMail::FormatHeader() {
    AddHeaderLine("From: " + from);
    AddHeaderLine("To: " + RecipientLine(RECIPIENT_TO));
    AddHeaderLine("Cc: " + RecipientLine(RECIPIENT_CC));
    date = std::time(nullptr);
    AddHeaderLine("Date: " + FormatDate(date));
    AddHeaderLine("Subject: " + subject);
    AddHeaderLine("X-Mailer: " + mailer);
}

void CPlainMail::FormatBody() {
    EnsureLineEnd(body);
}

void CPlainMail::EndHeader() {
    header += "\r\n";
}

void CPlainMail::ClearHeader() {
    header.clear();
}

void CPlainMail::AddHeaderLine(std::string_view line) {
    header += line;
    header += "\r\n";
}
