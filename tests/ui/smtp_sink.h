// Debian's aiosmtpd on 127.0.0.1 through the mail tests' sink script, which stores each
// message it receives taken apart by Python's email package (see tests/mail/smtp_sink.py).
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SmtpSink {
public:
    SmtpSink() = default;
    // Closes the sink's input, which ends it.
    ~SmtpSink();

    // Empty when the sink listens; otherwise why not. A reason starting with "SKIP " means
    // the tools are missing rather than broken. The options are the script's (--starttls,
    // --auth USER:PASSWORD, ...).
    QString Start(const QStringList& options = {});
    int Port() const { return port_; }
    // "127.0.0.1:port", the SMTP setting that reaches the sink.
    QString Server() const { return QStringLiteral("127.0.0.1:%1").arg(port_); }
    // A file the sink wrote for message n (1-based); empty when absent.
    QByteArray Read(int n, const QString& name) const;
    // Waits (bounded) until message n has been stored completely.
    bool WaitForMessage(int n) const;
    // Everything the clients sent (inside TLS once it was set up).
    QByteArray Received() const;
    // The certificate authority the sink made for a TLS run.
    QString CaFile() const { return dir_.filePath(QStringLiteral("ca.pem")); }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// Starts `sink` or skips / fails the current Qt test.
#define START_SMTP_SINK(sink) START_SMTP_SINK_WITH(sink, {})
#define START_SMTP_SINK_WITH(sink, options)                                                        \
    SmtpSink sink;                                                                                 \
    if (const QString why = sink.Start(options); !why.isEmpty()) {                                 \
        if (why.startsWith("SKIP "))                                                               \
            QSKIP(qPrintable(why.mid(5)));                                                         \
        QFAIL(qPrintable(why));                                                                    \
    }
