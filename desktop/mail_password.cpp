#include "desktop/mail_password.h"

#include "desktop/settings_store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

#include <memory>

namespace {

// The entry's name in the store: the program, and the settings key it stands in for.
const QString kService = QString::fromUtf8(kApplicationName);
const QString kKey = QStringLiteral("EMAIL/PASS");

// Runs the job and waits for it at most `wait`. A finished job is the caller's to read and
// delete; one still running is left to finish on its own and delete itself, and nothing of
// this call hears of it any more.
bool RunJob(QKeychain::Job* job, std::chrono::milliseconds wait) {
    job->setAutoDelete(false);
    QEventLoop loop;
    bool finished = false;
    QObject::connect(job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(wait, &loop, &QEventLoop::quit);
    job->start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!finished)
        job->setAutoDelete(true);
    return finished;
}

} // namespace

SecretStoreRead ReadMailSecret(std::chrono::milliseconds wait) {
    SecretStoreRead read;
    if (!QCoreApplication::instance())
        return read;
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(kKey);
    if (!RunJob(job, wait))
        return read;
    const std::unique_ptr<QKeychain::ReadPasswordJob> finished(job);
    switch (job->error()) {
    case QKeychain::NoError:
        read.answered = true;
        read.password = job->textData();
        break;
    case QKeychain::EntryNotFound:
        read.answered = true;
        break;
    default:
        break;
    }
    return read;
}

bool WriteMailSecret(const QString& password, std::chrono::milliseconds wait) {
    if (!QCoreApplication::instance())
        return false;
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(kKey);
    job->setTextData(password);
    if (!RunJob(job, wait))
        return false;
    const std::unique_ptr<QKeychain::WritePasswordJob> finished(job);
    return job->error() == QKeychain::NoError;
}

QString MailPassword(const MailAccount& account, std::chrono::milliseconds wait) {
    if (!account.pass.isEmpty())
        return account.pass;
    return ReadMailSecret(wait).password;
}
