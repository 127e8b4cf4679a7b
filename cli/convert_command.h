// Converting pictures to phone images (or exporting the adjusted source) from the
// command line.
#pragma once

#include "cli/convert_options.h"

#include <ostream>

// Exit status of a conversion run.
enum ConvertExit {
    kExitOk = 0,         // everything written, within both carriers' limits
    kExitFailed = 1,     // some input could not be read or written
    kExitUsage = 2,      // bad usage
    kExitOverLimit = 3,  // everything written, some file over a limit
    kExitMailFailed = 4, // with --mail: some written file could not be mailed
};

// Per file, prints the written path and the size check on `out`; progress (several
// inputs) and failures go to `err`.
int RunConvertCommand(const ConvertOptions& options, std::ostream& out, std::ostream& err);
