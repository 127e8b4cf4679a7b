// Reading picture files into packed bitmaps.
#pragma once

#include "image/dib.h"

#include <string>
#include <vector>

class SampledPicture;

// Why a load failed, for callers that tell the user (the readers themselves never do).
enum class LoadError {
    None,
    NoExtension, // the file name has no extension
    NotFound,    // the file cannot be opened
    NotAFile,    // a folder, pipe or device rather than a file
    Unsupported, // no reader (and no plug-in) takes this format
    Damaged,     // inconsistent or undecodable data, or far too little of it for the picture
    TooLarge,    // beyond the size the program accepts
    Truncated,   // not a failure: the picture came back, its missing part grey or black
};

// Human-readable reason, for messages and the command-line tool.
const char* LoadErrorText(LoadError error);

// Picks a reader by the extension; the result is 24 bits (16 or 32 for deep BMP and
// plug-in pictures), or none. A JPEG or PNG file cut short in its picture data still gives
// a picture, with the reason Truncated.
[[nodiscard]] DibPtr LoadImageFile(const std::string& path, LoadError* error = nullptr);

// A BMP file at its own depth, or none.
[[nodiscard]] DibPtr ReadBmpFile(const std::string& path, LoadError* error = nullptr);
// The same from bytes in memory (a BMP file, or a packed bitmap without the file header).
[[nodiscard]] DibPtr ReadBmpMemory(const void* data, size_t size, LoadError* error = nullptr);
// BMP bytes as a picture to work on, as a pasted picture arrives: palette pictures widened
// to 24 bits, 16- and 32-bit ones at their depth; or none.
[[nodiscard]] DibPtr LoadBmpMemory(const void* data, size_t size, LoadError* error = nullptr);
// 24 bits for colour pictures, 8 bits or fewer for palette and grey ones, or none. When
// `palette` is given it receives the file's palette.
[[nodiscard]] DibPtr ReadPngFile(const std::string& path,
                                 std::vector<PaletteColor>* palette = nullptr,
                                 LoadError* error = nullptr);
// 24 bits, or 8 bits for greyscale, or none.
[[nodiscard]] DibPtr ReadJpegFile(const std::string& path,
                                  std::vector<PaletteColor>* palette = nullptr,
                                  LoadError* error = nullptr);
// The same as a picture to work on: greyscale pictures come out at 24 bits as well.
[[nodiscard]] DibPtr ReadJpegPicture(const std::string& path, LoadError* error = nullptr);
// The same decoded at 1/reduction of its size (1, 2, 4 or 8) by the library's scaled
// transform, far quicker for a big shrink: pixel (x, y) stands for the reduction-square of
// the picture from (x, y) times the reduction, the last row and column for what is left.
[[nodiscard]] DibPtr ReadJpegReduced(const std::string& path, int reduction,
                                     LoadError* error = nullptr);
// The same from the bytes of a JPEG file in memory.
[[nodiscard]] DibPtr ReadJpegMemory(const void* data, size_t size, LoadError* error = nullptr);

// A picture's size and the bit count LoadImageFile gives it, as the file's header tells.
struct PictureInfo {
    int width = 0;
    int height = 0;
    int bitCount = 0;
};

// The header of a picture file alone (plug-ins through their picture information), judged
// as LoadImageFile judges it before decoding: false and the reason for a file it refuses
// up front. Damage further in, and a file cut short, are not seen.
[[nodiscard]] bool ReadPictureInfo(const std::string& path, PictureInfo* info,
                                   LoadError* error = nullptr);
[[nodiscard]] bool ReadBmpInfo(const std::string& path, PictureInfo* info,
                               LoadError* error = nullptr);
[[nodiscard]] bool ReadPngInfo(const std::string& path, PictureInfo* info,
                               LoadError* error = nullptr);
[[nodiscard]] bool ReadJpegInfo(const std::string& path, PictureInfo* info,
                                LoadError* error = nullptr);

// Only the rows and columns of the samples' grid, as LoadImageFile would give them (JPEG
// and plain PNG files decode no other rows; other pictures are loaded whole and cut). The
// file must hold a picture of the grid's size. Truncated files load with that reason.
[[nodiscard]] bool LoadPictureSamples(const std::string& path, SampledPicture* samples,
                                      LoadError* error = nullptr);
[[nodiscard]] bool ReadJpegSamples(const std::string& path, SampledPicture* samples,
                                   LoadError* error = nullptr);
[[nodiscard]] bool ReadPngSamples(const std::string& path, SampledPicture* samples,
                                  LoadError* error = nullptr);

// A palette of `count` entries from channel arrays: a missing green array means the red
// one, a missing blue array the green one.
std::vector<PaletteColor> MakePaletteFromChannels(int count, const uint8_t* red,
                                                  const uint8_t* green, const uint8_t* blue);
