// The mail account: sender address, SMTP and POP server, POP password.
#pragma once

#include "ui/mail_settings.h"

#include <QDialog>

class QLineEdit;
class UserPrompts;

class CMailAccountDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the stored account.
    explicit CMailAccountDlg(UserPrompts* prompts, QWidget* parent = nullptr);

    QLineEdit* FromEdit() const { return from_; }
    QLineEdit* SmtpEdit() const { return smtp_; }
    QLineEdit* PopEdit() const { return pop_; }
    QLineEdit* PassEdit() const { return pass_; }

public slots:
    // Closes and stores the account once every field is filled in; otherwise tells which
    // one is missing.
    void accept() override;

private:
    UserPrompts* prompts_;
    QLineEdit* from_;
    QLineEdit* smtp_;
    QLineEdit* pop_;
    QLineEdit* pass_;
};
