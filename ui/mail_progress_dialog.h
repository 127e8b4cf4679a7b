// Shown over a mail dialog while a sending is under way, with a button that cancels it.
#pragma once

#include <QDialog>

#include <chrono>

class CMailDelivery;
class QLabel;
class QPushButton;

class CMailProgressDlg : public QDialog {
    Q_OBJECT
public:
    // How long a sending runs before the window shows.
    static constexpr std::chrono::milliseconds kShowDelay{300};

    CMailProgressDlg(CMailDelivery* delivery, QWidget* parent);

    QPushButton* CancelButton() const { return cancel_; }

public slots:
    // Escape and the window's close button cancel as well; the window goes with the
    // sending's end.
    void reject() override;

private:
    CMailDelivery* delivery_;
    QLabel* text_;
    QPushButton* cancel_;
};
