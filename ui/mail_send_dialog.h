// Mailing a phone picture: recipient, message text and the picture to attach, sent through
// the account's SMTP server.
#pragma once

#include "desktop/mail_settings.h"

#include <QDialog>

class CMailDelivery;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class UserPrompts;

class CMailSendDlg : public QDialog {
    Q_OBJECT
public:
    // `currentImage` is a delivery copy of the output image, empty when there is none;
    // `browseFolder` is where the file choice starts.
    CMailSendDlg(const QString& currentImage, const QString& browseFolder, UserPrompts* prompts,
                 QWidget* parent = nullptr);
    ~CMailSendDlg() override;

    const QString& CurrentImagePath() const { return currentImage_; }
    QLabel* SenderLabel() const { return sender_; }
    QComboBox* RecipientBox() const { return recipients_; }
    QCheckBox* CurrentImageBox() const { return currentImageBox_; }
    QLineEdit* AttachmentEdit() const { return attachment_; }
    QPlainTextEdit* BodyEdit() const { return body_; }
    QPushButton* SendButton() const { return send_; }
    CMailDelivery* Delivery() const { return delivery_; }

    // Checks the fields and starts the sending; the dialog stays disabled until the
    // server's answer is shown, then closes (unless the sending was cancelled).
    void Send();
    // The file choice for the attachment path.
    void Browse();

public slots:
    // Not while a sending runs.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnDelivered();

    UserPrompts* prompts_;
    QString currentImage_;
    QString browseFolder_;
    MailAccount account_;
    QString smtp_, from_;
    bool shown_ = false;
    QLabel* sender_;
    QComboBox* recipients_;
    QCheckBox* currentImageBox_;
    QLineEdit* attachment_;
    QPlainTextEdit* body_;
    QPushButton* send_;
    CMailDelivery* delivery_;
};
