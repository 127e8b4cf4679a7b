// mokoa-convert: the command-line side of the picture workshop.
#include "cli/info_command.h"
#include "plugins/plugin_host.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: mokoa-convert --info FILE...\n"
    "\n"
    "  --info FILE...  print each picture's size and bit count, or why it cannot be read\n"
    "  --help          show this help\n"
    "\n"
    "Exit status: 0 when every file was read, 1 when one was not, 2 on a usage error.\n";

int UsageError(const std::string& message) {
    std::cerr << "mokoa-convert: " << message << "\n" << kUsage;
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return UsageError("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h") {
        std::cout << kUsage;
        return 0;
    }
    // Other formats than BMP, PNG and JPEG come through the plug-ins beside the program.
    LoadPluginFolder(PluginFolderBesideExecutable());
    if (command == "--info") {
        std::vector<std::string> files(argv + 2, argv + argc);
        if (files.empty())
            return UsageError("--info needs at least one file");
        return RunInfoCommand(files, std::cout);
    }
    return UsageError("unknown option '" + command + "'");
}
