// Colour reduction of 24-bit pictures to 4- and 8-bit palette images: an optimised palette
// from a median cut held as a k-d tree, or the fixed web palette, with error diffusion.
#pragma once

#include "image/dib.h"

#include <array>
#include <cstdint>
#include <vector>

// One split of colour space; channels follow the pixel byte order (0 blue, 1 green, 2 red).
struct ColorNode {
    int32_t splitChannel = -1; // -1 for a leaf
    int32_t threshold = 0;     // lower child below it, upper child from it on
    int32_t lower = -1;        // node indices
    int32_t upper = -1;
    uint8_t paletteIndex = 0; // leaves only
};

struct ColorBox {
    int32_t redMin, greenMin, blueMin;
    int32_t redExtent, greenExtent, blueExtent; // maximum - minimum + 1
    int32_t count;                              // pixels, duplicates included
    int32_t node;                               // the box's leaf
};

class CMedianCut {
public:
    static constexpr int kMaxBoxes = 260;
    // Palette indices are bytes: more boxes than this would wrap around.
    static constexpr int kMaxColors = 256;

    // Splits the colours of a 24-bit pixel array (rows of `stride` bytes) into at most
    // `colorCount` boxes (counts above kMaxColors count as kMaxColors); false when there
    // are no pixels.
    bool Build(const uint8_t* bits, int width, int height, uint32_t stride, int colorCount);

    int BoxCount() const { return boxCount_; }
    const ColorBox& Box(int i) const { return boxes_[i]; }
    // The middle of box i, blue, green, red.
    void PaletteColor(int i, uint8_t bgr[3]) const;
    // Palette index of a blue, green, red pixel by walking the tree. The walk starts at the
    // deepest node whose region holds the pixel's whole 16 x 16 x 16 cell, which gives the
    // same leaf as a walk from the root.
    uint8_t Lookup(const uint8_t* bgr) const {
        const ColorNode* node =
            &nodes_[size_t(cellStart_[(bgr[2] >> 4) << 8 | (bgr[1] >> 4) << 4 | bgr[0] >> 4])];
        while (node->splitChannel >= 0)
            node = &nodes_[size_t(bgr[node->splitChannel] < node->threshold ? node->lower
                                                                            : node->upper)];
        return node->paletteIndex;
    }

private:
    int32_t NewLeaf();

    void FillCellStarts();

    std::vector<ColorNode> nodes_; // nodes_[0] is the root
    std::array<int16_t, 4096> cellStart_{};
    std::array<ColorBox, kMaxBoxes> boxes_{};
    int boxCount_ = 0;
};

// Spreads the error between the current pixel p and the palette colour q (both blue, green,
// red) to the right neighbour and to three neighbours in the next processed row, which
// lies `stride` bytes after the current one. Shares are 5/16 and 3/16, rounded toward minus
// infinity.
void DiffuseError(uint8_t* p, const uint8_t q[3], int x, int y, int width, int height,
                  uint32_t stride);

// At most n (1-16) colours in a 4-bit image whose table holds exactly the colours found.
[[nodiscard]] DibPtr ReduceColorsTo4Bit(const PackedDib* image, int n);
// At most n colours (above 256 count as 256) in an 8-bit image.
[[nodiscard]] DibPtr ReduceColorsTo8Bit(const PackedDib* image, int n);
// The 235 web colours in an 8-bit image with a 256-entry table. The error is diffused
// inside `image` itself, which is changed.
[[nodiscard]] DibPtr ReduceToWebSafe(PackedDib* image);

// Web palette entry i as 0x00RRGGBB, 0 <= i < 235.
uint32_t WebPaletteColor(int i);
constexpr int kWebPaletteSize = 235;
