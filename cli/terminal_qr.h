// A QR code drawn in a terminal with Unicode half blocks: each character cell holds two
// modules one above the other, which keeps the modules square in a cell twice as high as
// it is wide.
#pragma once

#include "web/qr_modules.h"

#include <string>

// The code and its quiet zone, one text line per two module rows, each line ending in a
// newline. The glyphs' ink marks dark modules. With colour, every line is set black on
// white, so that the code reads the right way round on a dark terminal too. Empty for a
// code of width 0.
std::string TerminalQrCode(const QrModules& code, bool colour);
