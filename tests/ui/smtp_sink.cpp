#include "tests/ui/smtp_sink.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {
// Debian's interpreter: another python3 earlier on PATH may lack Debian's packages.
constexpr const char* kPython = "/usr/bin/python3";
constexpr int kWaitMs = 15000;
} // namespace

SmtpSink::~SmtpSink() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.closeWriteChannel();
    if (!process_.waitForFinished(kWaitMs)) {
        process_.kill();
        process_.waitForFinished(kWaitMs);
    }
}

QString SmtpSink::Start(const QStringList& options) {
    const QString script = qEnvironmentVariable("MOKOA_SMTP_SINK");
    if (script.isEmpty() || !QFileInfo(script).isReadable())
        return QStringLiteral("MOKOA_SMTP_SINK does not name the sink script");
    if (!QFileInfo(kPython).isExecutable())
        return QStringLiteral("SKIP %1 is not installed").arg(kPython);
    if (!dir_.isValid())
        return QStringLiteral("no temporary folder");
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(kPython, QStringList{script, dir_.path()} + options);
    if (!process_.waitForStarted(kWaitMs))
        return QStringLiteral("cannot start %1").arg(kPython);
    const QDeadlineTimer deadline(kWaitMs);
    while (!process_.canReadLine() && !deadline.hasExpired() &&
           process_.state() == QProcess::Running)
        process_.waitForReadyRead(int(deadline.remainingTime()));
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    if (line.startsWith("PORT ")) {
        port_ = line.mid(5).toInt();
        return {};
    }
    if (line.startsWith("SKIP "))
        return line;
    return QStringLiteral("the sink did not start: %1").arg(line);
}

QByteArray SmtpSink::Read(int n, const QString& name) const {
    QFile file(dir_.filePath(QStringLiteral("msg%1/%2").arg(n).arg(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray SmtpSink::Received() const {
    QFile file(dir_.filePath(QStringLiteral("received")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SmtpSink::WaitForMessage(int n) const {
    // "defects" is the last file written for a message.
    const QString last = dir_.filePath(QStringLiteral("msg%1/defects").arg(n));
    return QTest::qWaitFor([&] { return QFileInfo::exists(last); }, kWaitMs);
}
