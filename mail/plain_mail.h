// A mail message: plain header fields and the recipients, formatted into the header and
// body texts the SMTP client puts on the wire (CR LF line ends).
#pragma once

#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

enum RecipientKind : int { RECIPIENT_TO = 0, RECIPIENT_CC = 1, RECIPIENT_BCC = 2 };

struct Recipient {
    std::string address;
    std::string name; // display name in UTF-8, may be empty
};

class CPlainMail {
public:
    CPlainMail();
    virtual ~CPlainMail();
    CPlainMail(const CPlainMail&) = default;
    CPlainMail& operator=(const CPlainMail&) = default;
    CPlainMail(CPlainMail&&) = default;
    CPlainMail& operator=(CPlainMail&&) = default;

    // Appends to the list of that kind; false only for an unknown kind.
    bool AddRecipient(std::string_view address, std::string_view name, RecipientKind kind);
    // Adds every piece of a ";"-separated text ("addr", "name<addr>"); an empty piece is a
    // recipient too. False at the first piece with "<" but no ">" after it; the pieces before
    // it stay.
    bool AddRecipients(std::string_view text, RecipientKind kind);
    size_t RecipientCount(RecipientKind kind) const;
    // False when the index is outside the list.
    bool GetRecipient(size_t index, RecipientKind kind, std::string& address,
                      std::string& name) const;

    // Fills header and body. Format a message once: a second run would wrap the finished
    // body again.
    void FormatMessage();

    std::string from;    // written unchanged after "From: "
    std::string subject; // written unchanged; pass an encoded word for non-ASCII text
    std::string mailer;
    std::string header;   // the header text, ending with an empty line, after formatting
    std::time_t date = 0; // taken when the header is formatted
    std::string body;     // the message text; the finished body text after formatting
    int lineLength = 76;  // wrap width of the message text

protected:
    virtual void FormatHeader();
    virtual void FormatBody();
    virtual void EndHeader();
    virtual void ClearHeader();
    virtual void AddHeaderLine(std::string_view line);

private:
    std::string RecipientLine(RecipientKind kind) const;

    std::array<std::vector<Recipient>, 3> recipients_;
};

// Appends CR LF unless the text already ends with it.
void EnsureLineEnd(std::string& text);
