// Serving the phone picture to a phone's browser: the port, start and stop, the address
// to open (also as a QR code), the address mailed to the phone and the access log.
#pragma once

#include "web/phone_image_server.h"

#include <QDialog>
#include <QStringList>

#include <mutex>
#include <string>

class CMailDelivery;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class UserPrompts;

// "http://host/" on port 80, else "http://host:port/".
QString WebServerUrl(const QString& host, int port);

class CWebServerDlg : public QDialog, private CPhoneImageServerOwner {
    Q_OBJECT
public:
    // `imagePath` is the delivery copy to hand out (empty when there is none).
    CWebServerDlg(const QString& imagePath, UserPrompts* prompts, QWidget* parent = nullptr);
    // Stops the server if it still runs.
    ~CWebServerDlg() override;

    QString ImageFile() const { return QString::fromStdString(imagePath_); }
    bool IsServing() const { return running_; }
    int Port() const { return port_; }
    const QString& Url() const { return url_; }
    const CPhoneImageServer& Server() const { return server_; }
    CMailDelivery* Delivery() const { return delivery_; }

    QLineEdit* UrlEdit() const { return urlEdit_; }
    QComboBox* HostBox() const { return hosts_; }
    QLabel* QrLabel() const { return qr_; }
    QComboBox* PhoneBox() const { return phones_; }
    QListWidget* AccessLog() const { return log_; }
    QLineEdit* PortEdit() const { return portEdit_; }
    // Says why another port than the one asked for is in use; empty otherwise.
    QLabel* PortNote() const { return portNote_; }
    QPushButton* StartStopButton() const { return startStop_; }

    void StartStop();
    void OpenInBrowser();
    void MailUrl();

public slots:
    // Stops the server first; refused while the address is being mailed.
    void done(int result) override;

private:
    std::string ImagePath() const override;
    void AddAccessLog(const std::string& line) override;
    void DrainAccessLog();
    void FillHosts();
    void ShowValues();
    void StopServer();
    void OnMailed();

    UserPrompts* prompts_;
    const std::string imagePath_;
    bool running_ = false;
    int port_ = 80;
    QString url_;
    QLineEdit* urlEdit_;
    QComboBox* hosts_;
    QLabel* qr_;
    QComboBox* phones_;
    QListWidget* log_;
    QLineEdit* portEdit_;
    QLabel* portNote_;
    QPushButton* startStop_;
    QPushButton* mailButton_;
    CMailDelivery* delivery_;

    std::mutex logLock_;
    QStringList pendingLog_;
    bool drainPosted_ = false;
    // Last, so that it is stopped first: its connections still log to this object.
    CPhoneImageServer server_;
};
