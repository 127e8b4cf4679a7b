#include "app/phone_image_app.h"
#include "ui/main_frame.h"

int main(int argc, char** argv) {
    CPhoneImageApp app(argc, argv);
    CMainFrame frame;
    app.ShowMainWindow(&frame);
    return app.exec();
}
