// The mail account: sender address, SMTP server with its port, connection security and
// login, POP server and the password.
#pragma once

#include "desktop/mail_settings.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class UserPrompts;

class CMailAccountDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the stored account; the password comes from the settings file or the secret
    // store, and a note says where it will be kept.
    explicit CMailAccountDlg(UserPrompts* prompts, QWidget* parent = nullptr);

    QLineEdit* FromEdit() const { return from_; }
    QLineEdit* SmtpEdit() const { return smtp_; }
    QLineEdit* PortEdit() const { return port_; }
    // Entries in the order of SmtpSecurity: none, STARTTLS, SSL/TLS.
    QComboBox* SecurityBox() const { return security_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PopEdit() const { return pop_; }
    QLineEdit* PassEdit() const { return pass_; }
    QLabel* PasswordNote() const { return note_; }

public slots:
    // Closes and stores the account once every field is filled in and fits; otherwise
    // tells which one does not.
    void accept() override;

private:
    void OnSecurityChosen(int index);

    UserPrompts* prompts_;
    bool secretStore_ = false; // a secret service answered when the dialog opened
    QLineEdit* from_;
    QLineEdit* smtp_;
    QLineEdit* port_;
    QComboBox* security_;
    QLineEdit* user_;
    QLineEdit* pop_;
    QLineEdit* pass_;
    QLabel* note_;
};
