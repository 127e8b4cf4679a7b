// Writing phone pictures as PNG and JPEG files. Neither writer leaves a half-made file in
// place of the target: a failed write keeps whatever file was there before.
#pragma once

#include "image/dib.h"

#include <cstdio>
#include <string>

// Palette PNG (colour type 3) for images of 8 bits or fewer, with one PLTE entry per
// colour-table entry in use; RGB PNG for 24-bit images. 1 when written completely, else 0.
int WritePngFile(const PackedDib* image, const std::string& path);

// Baseline JPEG of a 24-bit image, or of a 4- or 8-bit image through its colour table.
// 1 when written completely, else 0.
int WriteJpegFile(const PackedDib* image, const std::string& path, int quality);

// The same encodings onto an open stream, from its current position, for a scratch file
// the caller rewrites in place; 1 when the encoder finished, else 0. The caller flushes
// and checks the stream.
int WritePngStream(const PackedDib* image, FILE* stream);
int WriteJpegStream(const PackedDib* image, FILE* stream, int quality);
