// Qt Test executables of the desktop program: each test class registers itself, and the
// shared main runs one class (named as the first argument) or all of them.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace qttest {

using Factory = std::function<std::unique_ptr<QObject>()>;
bool Register(const char* name, Factory factory);

// The user config folder of this run (a private temporary folder).
QString ConfigHome();

} // namespace qttest

#define MOKOA_QT_TEST(Class)                                                                       \
    static const bool registered_##Class =                                                         \
        ::qttest::Register(#Class, [] { return std::unique_ptr<QObject>(new Class); })
