// The application object: names the settings, reads the command line and hands the main
// window over from the start-up picture.
#pragma once

#include <QApplication>

#include <functional>

class CPhoneImageApp : public QApplication {
    Q_OBJECT
public:
    CPhoneImageApp(int& argc, char** argv);

    bool StartupPictureEnabled() const { return startupPicture_; }
    // The picture file named on the command line, or empty.
    const QString& PictureFile() const { return pictureFile_; }

    // Shows the start-up picture with `mainWindow` behind it (the window appears when the
    // picture closes), or the main window at once when the switches asked for no picture.
    // `whenShown` runs once the main window is up, from the event loop.
    void ShowMainWindow(QWidget* mainWindow, std::function<void()> whenShown = {});

private:
    bool startupPicture_ = true;
    QString pictureFile_;
};
