#include "app/phone_image_app.h"

#include "app/command_line.h"
#include "app/startup_picture_wnd.h"
#include "desktop/program_paths.h"
#include "desktop/settings_store.h"

#include <QIcon>

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
}

void CPhoneImageApp::ShowMainWindow(QWidget* mainWindow) {
    if (!startupPicture_) {
        mainWindow->show();
        return;
    }
    CStartupPictureWnd::ShowFor(mainWindow, LoadStartupPicture(ExecutableFolder()));
}
