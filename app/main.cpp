#include "app/phone_image_app.h"
#include "ui/main_frame.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // Answered before the application object exists, so it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("mokoa " MOKOA_VERSION);
            return 0;
        }
    }
    CPhoneImageApp app(argc, argv);
    CMainFrame frame;
    app.ShowMainWindow(&frame);
    return app.exec();
}
