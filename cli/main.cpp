// mokoa-convert: the command-line side of the picture workshop.
#include "cli/convert_command.h"
#include "cli/convert_options.h"
#include "cli/info_command.h"
#include "cli/list_commands.h"
#include "cli/serve_command.h"
#include "cli/usage.h"
#include "phone/temp_file_cleanup.h"
#include "plugins/plugin_host.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // The "~kt" files go with the program, also when it is told to stop.
    RemoveTempFilesOnSignals();
    const ParsedCommand cmd = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!cmd.error.empty()) {
        std::cerr << "mokoa-convert: " << cmd.error << "\n\n" << kUsage;
        return kExitUsage;
    }
    switch (cmd.action) {
    case ParsedCommand::Action::Help:
        std::cout << kUsage;
        return kExitOk;
    case ParsedCommand::Action::Version:
        std::cout << "mokoa-convert " MOKOA_VERSION "\n";
        return kExitOk;
    case ParsedCommand::Action::ListProfiles:
        PrintProfileList(std::cout, cmd.options.customWidth, cmd.options.customHeight);
        return kExitOk;
    case ParsedCommand::Action::ListFormats:
        PrintFormatList(std::cout);
        return kExitOk;
    case ParsedCommand::Action::Info:
        // Other formats than BMP, PNG and JPEG come through the plug-ins beside the program.
        LoadPluginsBesideExecutable();
        return RunInfoCommand(cmd.options.inputs, std::cout);
    case ParsedCommand::Action::Convert:
        break;
    }
    const int status = cmd.options.serve ? RunServeCommand(cmd.options, std::cout, std::cerr)
                                         : RunConvertCommand(cmd.options, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
