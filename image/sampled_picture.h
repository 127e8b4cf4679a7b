// A picture of which only some rows and columns are held: those the classic resampling of
// one rectangle to one size reads. Reading a big photo for a phone-sized picture then
// decodes a few hundred of its rows instead of all of them, with the same bytes as a
// resampling of the whole picture.
#pragma once

#include "image/dib.h"
#include "image/rect.h"

#include <cstdint>
#include <vector>

// Rows and columns of a width x height picture, ascending and distinct.
struct SampleGrid {
    int width = 0;
    int height = 0;
    std::vector<int> rows;
    std::vector<int> columns;
};

// The rows and columns ResampleImage reads when it fills a whole destWidth x destHeight
// image from the rectangle `from` of a width x height picture. Empty for a shape it would
// refuse.
SampleGrid ClassicSampleGrid(int width, int height, const ImageRect& from, int destWidth,
                             int destHeight);

class SampledPicture {
public:
    SampledPicture() = default;
    // Room for the grid's pixels, all black; empty when out of memory or for an empty grid.
    explicit SampledPicture(SampleGrid grid);

    bool Empty() const { return pixels_.empty(); }
    int Width() const { return grid_.width; }
    int Height() const { return grid_.height; }
    const SampleGrid& Grid() const { return grid_; }

    // Keeps the grid's columns of the picture row held at `index` of the grid's rows, from
    // a row of blue, green, red bytes that starts at picture column `firstColumn` and holds
    // every grid column.
    void StoreRow(size_t index, const uint8_t* row, int firstColumn);
    // The index of a picture row among the grid's rows, or -1.
    int RowIndex(int y) const {
        return y >= 0 && size_t(y) < rowAt_.size() ? rowAt_[size_t(y)] : -1;
    }
    // Pixel (x, y) of the picture; x and y must be in the grid.
    const uint8_t* Pixel(int x, int y) const {
        return pixels_.data() +
               (size_t(rowAt_[size_t(y)]) * grid_.columns.size() + size_t(columnAt_[size_t(x)])) *
                   3;
    }

private:
    SampleGrid grid_;
    std::vector<int32_t> rowAt_;    // picture row to grid row, -1 for rows not held
    std::vector<int32_t> columnAt_; // the same for columns
    std::vector<uint8_t> pixels_;
};

// Fills the whole of `dest` (24 bits) from the rectangle `from` with the bytes ResampleImage
// gives from the whole picture. False (nothing written) unless the samples were taken for
// exactly that rectangle and size.
[[nodiscard]] bool ResampleSampled(PackedDib* dest, const SampledPicture& source,
                                   const ImageRect& from);
