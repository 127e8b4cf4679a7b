#include "app/phone_image_app.h"

#include "app/command_line.h"
#include "app/startup_picture_wnd.h"
#include "desktop/program_paths.h"
#include "desktop/settings_store.h"

#include <QIcon>
#include <QTimer>

CPhoneImageApp::CPhoneImageApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(kOrganisationName);
    setApplicationName(QString::fromUtf8(kApplicationName));
    // The desktop entry's name without ".desktop": docks and task bars find the icon by it.
    setDesktopFileName("org.mokoa.mokoa");
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/mokoa/mokoa-%1.png").arg(size));
    setWindowIcon(icon);
    startupPicture_ = StartupPictureWanted(arguments());
    pictureFile_ = PictureFileArgument(arguments());
}

void CPhoneImageApp::ShowMainWindow(QWidget* mainWindow, std::function<void()> whenShown) {
    // Messages about the picture must not meet the start-up picture, which takes the first
    // key or click: it runs after the main window has come up.
    auto afterwards = [mainWindow, whenShown = std::move(whenShown)] {
        if (whenShown)
            QTimer::singleShot(0, mainWindow, whenShown);
    };
    if (startupPicture_ &&
        CStartupPictureWnd::ShowFor(mainWindow, LoadStartupPicture(ExecutableFolder()))) {
        connect(CStartupPictureWnd::Current(), &CStartupPictureWnd::closed, mainWindow, afterwards,
                Qt::SingleShotConnection);
        return;
    }
    mainWindow->show();
    afterwards();
}
