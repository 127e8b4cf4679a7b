// The application object: names the settings, reads the command line and hands the main
// window over from the start-up picture.
#pragma once

#include <QApplication>

class CPhoneImageApp : public QApplication {
    Q_OBJECT
public:
    CPhoneImageApp(int& argc, char** argv);

    bool StartupPictureEnabled() const { return startupPicture_; }

    // Shows the start-up picture with `mainWindow` behind it (the window appears when the
    // picture closes), or the main window at once when the switches asked for no picture.
    void ShowMainWindow(QWidget* mainWindow);

private:
    bool startupPicture_ = true;
};
