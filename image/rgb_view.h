// A 24-bit view of a picture for the operations that work on three bytes per pixel.
#pragma once

#include "image/dib.h"

class RgbView {
public:
    // The picture itself when it has 24 bits, else a widened copy owned by the view.
    explicit RgbView(const PackedDib* dib)
        : copy_(dib && DibBitCount(dib) != 24 ? DibConvertDepth(dib, 24) : nullptr),
          dib_(dib && DibBitCount(dib) == 24 ? dib : copy_.get()) {}

    // None when there was no picture or the widened copy could not be made.
    const PackedDib* get() const { return dib_; }

private:
    DibPtr copy_;
    const PackedDib* dib_;
};
