#include "app/phone_image_app.h"

#include "app/command_line.h"
#include "app/startup_picture_wnd.h"
#include "desktop/program_paths.h"
#include "desktop/settings_store.h"

#include <QIcon>

CPhoneImageApp::CPhoneImageApp(int& argc, char** argv) : QApplication(argc, argv) {
    setOrganizationName(kOrganisationName);
    setApplicationName(QString::fromUtf8(kApplicationName));
    setDesktopFileName("mokoa");
    QIcon icon;
    icon.addFile(":/mokoa/mokoa-32.png");
    icon.addFile(":/mokoa/mokoa-48.png");
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
