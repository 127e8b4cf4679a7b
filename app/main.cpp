#include "app/phone_image_app.h"
#include "app/program_translations.h"
#include "phone/temp_file_cleanup.h"
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
    // The "~kt" files go with the program, also when it is told to stop.
    RemoveTempFilesOnSignals();
    CPhoneImageApp app(argc, argv);
    const ProgramTranslations translations(UiLanguageOf());
    CMainFrame frame;
    // A picture named on the command line ("Open with" of a file manager) is opened as if
    // chosen in the Open dialog.
    app.ShowMainWindow(&frame, [&frame, file = app.PictureFile()] {
        if (!file.isEmpty())
            frame.OpenChosenPicture(file);
    });
    return app.exec();
}
