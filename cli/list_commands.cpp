#include "cli/list_commands.h"

#include "phone/formats.h"
#include "phone/profile_selection.h"

#include <cstdio>

void PrintProfileList(std::ostream& out, int customWidth, int customHeight) {
    const ProfileSelection list(customWidth, customHeight, 0);
    for (int i = 0; i < kProfileListCount; ++i) {
        const uint32_t key = list.ItemSizeKey(i);
        char size[32];
        std::snprintf(size, sizeof size, "%3d  %3dx%-3d  ", i, SizeKeyWidth(key),
                      SizeKeyHeight(key));
        out << size << list.ItemText(i) << "\n";
    }
}

void PrintFormatList(std::ostream& out) {
    const auto formats = OutputFormats();
    for (size_t i = 0; i < formats.size(); ++i) {
        const OutputFormat& format = formats[i].format;
        char line[64];
        if (format.IsJpeg())
            std::snprintf(line, sizeof line, "%2zu  JPEG quality %-3d  ", i, format.jpeg.quality);
        else if (format.colors == 0)
            std::snprintf(line, sizeof line, "%2zu  PNG full colour   ", i);
        else
            std::snprintf(line, sizeof line, "%2zu  PNG %3d colours   ", i, format.colors);
        out << line << formats[i].text << "\n";
    }
}
