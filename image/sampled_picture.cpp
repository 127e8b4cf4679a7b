#include "image/sampled_picture.h"

#include "image/classic_sampling.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// The pixels one axis reads, ascending and distinct.
std::vector<int> AxisPixels(int size, int sourceStart, int sourceEnd, int destLength) {
    std::vector<int> pixels;
    const classic::Axis axis(0, destLength, sourceStart, sourceEnd);
    for (int64_t i = 0; i < destLength; ++i) {
        const classic::Cell cell = classic::CellAt(axis.At(i), size);
        pixels.push_back(cell.first);
        pixels.push_back(cell.second);
    }
    // Positions rise with i, but equal neighbours abound when shrinking little or enlarging.
    std::sort(pixels.begin(), pixels.end());
    pixels.erase(std::unique(pixels.begin(), pixels.end()), pixels.end());
    return pixels;
}

std::vector<int32_t> IndexOf(const std::vector<int>& pixels, int size) {
    std::vector<int32_t> index(size_t(size), -1);
    for (size_t i = 0; i < pixels.size(); ++i)
        index[size_t(pixels[i])] = int32_t(i);
    return index;
}

} // namespace

SampleGrid ClassicSampleGrid(int width, int height, const ImageRect& from, int destWidth,
                             int destHeight) {
    SampleGrid grid;
    if (width <= 0 || height <= 0 || destWidth <= 0 || destHeight <= 0 || from.Width() == 0 ||
        from.Height() == 0)
        return grid;
    grid.width = width;
    grid.height = height;
    grid.rows = AxisPixels(height, from.top, from.bottom, destHeight);
    grid.columns = AxisPixels(width, from.left, from.right, destWidth);
    return grid;
}

SampledPicture::SampledPicture(SampleGrid grid) {
    if (grid.rows.empty() || grid.columns.empty())
        return;
    try {
        rowAt_ = IndexOf(grid.rows, grid.height);
        columnAt_ = IndexOf(grid.columns, grid.width);
        pixels_.assign(grid.rows.size() * grid.columns.size() * 3, 0);
    } catch (const std::bad_alloc&) {
        rowAt_.clear();
        columnAt_.clear();
        pixels_.clear();
        return;
    }
    grid_ = std::move(grid);
}

void SampledPicture::StoreRow(size_t index, const uint8_t* row, int firstColumn) {
    if (index >= grid_.rows.size())
        return;
    uint8_t* out = pixels_.data() + index * grid_.columns.size() * 3;
    for (const int x : grid_.columns) {
        std::memcpy(out, row + size_t(x - firstColumn) * 3, 3);
        out += 3;
    }
}

bool ResampleSampled(PackedDib* dest, const SampledPicture& source, const ImageRect& from) {
    if (!dest || DibBitCount(dest) != 24 || source.Empty())
        return false;
    const SampleGrid needed =
        ClassicSampleGrid(source.Width(), source.Height(), from, DibWidth(dest), DibHeight(dest));
    const SampleGrid& held = source.Grid();
    const auto holds = [](const std::vector<int>& all, const std::vector<int>& some) {
        return std::includes(all.begin(), all.end(), some.begin(), some.end());
    };
    if (needed.rows.empty() || !holds(held.rows, needed.rows) ||
        !holds(held.columns, needed.columns))
        return false;
    ClassicResample(dest, 0, 0, -1, -1, from.left, from.top, from.right, from.bottom,
                    source.Width(), source.Height(),
                    [&](int x, int y) { return source.Pixel(x, y); });
    return true;
}
