#include "cli/info_command.h"

#include "image/loaders.h"

#include <ostream>

int RunInfoCommand(const std::vector<std::string>& files, std::ostream& out) {
    int status = 0;
    for (const std::string& path : files) {
        LoadError why = LoadError::None;
        DibPtr dib(LoadImageFile(path, &why));
        out << path << ": ";
        if (dib) {
            out << DibWidth(dib.get()) << 'x' << DibHeight(dib.get()) << ", "
                << DibBitCount(dib.get()) << " bits";
            if (why == LoadError::Truncated)
                out << " (" << LoadErrorText(why) << ")";
            out << '\n';
        } else {
            out << LoadErrorText(why) << '\n';
            status = 1;
        }
    }
    out.flush();
    return status;
}
