// Qt Test executables of the desktop program: each test class registers itself, and the
// shared main runs one class (named as the first argument) or all of them.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

#include <functional>
#include <memory>

namespace qttest {

using Factory = std::function<std::unique_ptr<QObject>()>;
bool Register(const char* name, Factory factory);

// The user config folder of this run (a private temporary folder).
QString ConfigHome();

// Takes the addresses the desktop would open (register it with
// QDesktopServices::setUrlHandler(scheme, &catcher, "open")).
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

} // namespace qttest

#define MOKOA_QT_TEST(Class)                                                                       \
    static const bool registered_##Class =                                                         \
        ::qttest::Register(#Class, [] { return std::unique_ptr<QObject>(new Class); })
