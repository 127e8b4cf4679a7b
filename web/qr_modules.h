// The modules of a QR code for a short text (the server's address), for whoever draws it:
// the web server dialog on screen, the command line in a terminal.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct QrModules {
    // The light margin around the code that the standard asks for, in modules.
    static constexpr int kQuietZone = 4;

    int width = 0;             // modules per side, without the quiet zone; 0 when none
    std::vector<uint8_t> dark; // width * width, row by row, 1 for a dark module

    // Outside the code (in the quiet zone) every module is light.
    bool Dark(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < width && dark[size_t(y * width + x)] != 0;
    }
};

// The text's bytes as they stand (8-bit mode), error correction level M, the smallest
// version that holds them. Width 0 for empty text or when encoding fails.
QrModules EncodeQrCode(std::string_view text);
