// GIF pictures for the tests, written with giflib's encoder.
#pragma once

#include <gif_lib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plugintest {

struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
    bool interlace = false;
    std::vector<GifColorType> colors; // a local table when not empty
    int transparent = NO_TRANSPARENT_COLOR;
    std::vector<uint8_t> pixels; // top row first
};

struct Gif {
    int width = 0, height = 0, background = 0;
    std::vector<GifColorType> colors; // the global table, 2^n entries
    std::vector<Frame> frames;
};

// Writes the picture; false when giflib refuses.
bool WriteGif(const std::string& path, const Gif& gif);

// A 4 x 3 picture: rows of indices 0 1 2 3, 3 2 1 0, 1 1 1 1 over black, white, red, magenta.
Gif SmallGif();

} // namespace plugintest
