#include "cli/info_command.h"

#include "image/loaders.h"

#include <ostream>

int RunInfoCommand(const std::vector<std::string>& files, std::ostream& out) {
    int status = 0;
    for (const std::string& path : files) {
        PictureInfo info;
        LoadError why = LoadError::None;
        out << path << ": ";
        if (ReadPictureInfo(path, &info, &why)) {
            out << info.width << 'x' << info.height << ", " << info.bitCount << " bits\n";
        } else {
            out << LoadErrorText(why) << '\n';
            status = 1;
        }
    }
    out.flush();
    return status;
}
