// mokoa-convert --serve: converts one picture and hands it to phones with the web server,
// as the desktop program's web server dialog does.
#pragma once

#include "cli/convert_options.h"

#include <ostream>

// Converts the one input (reporting as a conversion run does), then prints the URL and
// its QR code on `out` and serves until interrupted (SIGINT, SIGTERM) or until
// options.serveCount fetches, printing each fetch's access-log line. The conversion's exit
// status once the server has stopped; kExitFailed when it could not start.
int RunServeCommand(const ConvertOptions& options, std::ostream& out, std::ostream& err);
