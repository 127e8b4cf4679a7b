// Runs the registered Qt test classes inside the program's own application object, with
// HOME and the XDG folders pointed at a private temporary folder so that no test ever
// reads or writes the user's settings.
#include "tests/common/qt_test_support.h"

#include "app/phone_image_app.h"

#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace qttest {

namespace {
std::map<std::string, Factory>& Registry() {
    static std::map<std::string, Factory> registry;
    return registry;
}
QString g_configHome;
} // namespace

bool Register(const char* name, Factory factory) {
    Registry()[name] = std::move(factory);
    return true;
}

QString ConfigHome() {
    return g_configHome;
}

} // namespace qttest

int main(int argc, char** argv) {
    QTemporaryDir home;
    if (!home.isValid()) {
        std::fprintf(stderr, "cannot make a temporary home folder\n");
        return 1;
    }
    const QByteArray root = home.path().toLocal8Bit();
    setenv("HOME", root.constData(), 1);
    setenv("XDG_CONFIG_HOME", (root + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/.cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", root.constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qttest::g_configHome = home.path() + "/.config";

    std::vector<char*> args(argv, argv + argc);
    std::string only;
    if (args.size() > 1 && args[1][0] != '-') {
        only = args[1];
        args.erase(args.begin() + 1);
    }
    int appArgc = 1;
    CPhoneImageApp app(appArgc, argv);
    int failures = 0, ran = 0;
    for (const auto& [name, factory] : qttest::Registry()) {
        if (!only.empty() && only != name)
            continue;
        ++ran;
        const std::unique_ptr<QObject> test = factory();
        failures += QTest::qExec(test.get(), int(args.size()), args.data());
    }
    if (ran == 0) {
        std::fprintf(stderr, "no test class named %s\n", only.c_str());
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
