#include "app/phone_image_app.h"
#include "phone/temp_file_cleanup.h"
#include "ui/main_frame.h"

int main(int argc, char** argv) {
    // The "~kt" files go with the program, also when it is told to stop.
    RemoveTempFilesOnSignals();
    CPhoneImageApp app(argc, argv);
    CMainFrame frame;
    app.ShowMainWindow(&frame);
    return app.exec();
}
