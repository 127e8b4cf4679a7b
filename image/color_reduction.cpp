#include "image/color_reduction.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

inline uint8_t ClampByte(int v) {
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Cell of the web lookup cube: the top four bits of each channel.
inline int CellIndex(int red, int green, int blue) {
    return (red >> 4) * 256 + (green >> 4) * 16 + (blue >> 4);
}

// Every pixel's colour (duplicates kept), with each box owning one contiguous range of
// them. Boxes are disjoint and shrunk to their pixels, so the entries of a range are
// exactly the pixels whose colour lies inside the box: a histogram or shrink scan touches
// nothing else, and a split only partitions the range.
struct ColorEntry {
    uint8_t c[4]; // blue, green, red, unused
};

struct EntryRange {
    uint32_t begin;
    uint32_t end;
};

inline int BitLength(int32_t x) {
    return x <= 0 ? 0 : std::bit_width(uint32_t(x));
}

// Minima and maxima of a box in channel order blue, green, red.
void BoxBounds(const ColorBox& box, int lo[3], int hi[3]) {
    lo[0] = box.blueMin;
    lo[1] = box.greenMin;
    lo[2] = box.redMin;
    hi[0] = box.blueMin + box.blueExtent - 1;
    hi[1] = box.greenMin + box.greenExtent - 1;
    hi[2] = box.redMin + box.redExtent - 1;
}

void SetBoxBounds(ColorBox& box, const int lo[3], const int hi[3]) {
    box.blueMin = lo[0];
    box.greenMin = lo[1];
    box.redMin = lo[2];
    box.blueExtent = hi[0] - lo[0] + 1;
    box.greenExtent = hi[1] - lo[1] + 1;
    box.redExtent = hi[2] - lo[2] + 1;
}

inline void Widen(const ColorEntry& e, int lo[3], int hi[3]) {
    for (int c = 0; c < 3; ++c) {
        lo[c] = std::min<int>(lo[c], e.c[c]);
        hi[c] = std::max<int>(hi[c], e.c[c]);
    }
}

// Minima and maxima of the entries of a range, in channel order blue, green, red.
void RangeBounds(const ColorEntry* e, const ColorEntry* end, int lo[3], int hi[3]) {
    for (int c = 0; c < 3; ++c)
        lo[c] = hi[c] = e->c[c];
    for (; e < end; ++e)
        for (int c = 0; c < 3; ++c) {
            lo[c] = std::min<int>(lo[c], e->c[c]);
            hi[c] = std::max<int>(hi[c], e->c[c]);
        }
}

} // namespace

int32_t CMedianCut::NewLeaf() {
    nodes_.push_back(ColorNode{});
    return int32_t(nodes_.size() - 1);
}

bool CMedianCut::Build(const uint8_t* bits, int width, int height, uint32_t stride,
                       int colorCount) {
    nodes_.clear();
    boxCount_ = 0;
    if (!bits || width <= 0 || height <= 0)
        return false;
    colorCount = std::clamp(colorCount, 1, kMaxColors);
    nodes_.reserve(size_t(2 * colorCount));

    std::vector<ColorEntry> entries(size_t(width) * size_t(height));
    ColorEntry* e = entries.data();
    for (int y = 0; y < height; ++y) {
        const uint8_t* p = bits + size_t(y) * stride;
        for (int x = 0; x < width; ++x, p += 3, ++e)
            *e = ColorEntry{{p[0], p[1], p[2], 0}};
    }
    std::array<EntryRange, kMaxBoxes> ranges;
    int lo[3], hi[3];
    RangeBounds(entries.data(), entries.data() + entries.size(), lo, hi);
    ColorBox& first = boxes_[0];
    SetBoxBounds(first, lo, hi);
    first.count = width * height;
    first.node = NewLeaf();
    ranges[0] = {0, uint32_t(entries.size())};
    boxCount_ = 1;

    while (boxCount_ < colorCount) {
        int chosen = 0;
        int bestScore = -1;
        for (int i = 0; i < boxCount_; ++i) {
            const ColorBox& b = boxes_[i];
            const int score =
                BitLength(b.count) * std::max({b.redExtent, b.greenExtent, b.blueExtent});
            if (score > bestScore) {
                bestScore = score;
                chosen = i;
            }
        }
        const ColorBox box = boxes_[chosen];
        const EntryRange range = ranges[chosen];
        if (std::max({box.redExtent, box.greenExtent, box.blueExtent}) < 2)
            break;

        // Ties go to red, then green; blue only when strictly longer.
        int channel;
        if (box.redExtent < box.greenExtent)
            channel = box.greenExtent < box.blueExtent ? 0 : 1;
        else
            channel = box.redExtent < box.blueExtent ? 0 : 2;

        ColorEntry* begin = entries.data() + range.begin;
        ColorEntry* end = entries.data() + range.end;
        int histogram[256] = {};
        for (const ColorEntry* p = begin; p < end; ++p)
            ++histogram[p->c[channel]];
        const int total = int(range.end - range.begin);
        BoxBounds(box, lo, hi);
        const int minimum = lo[channel];
        const int maximum = hi[channel];
        int s = minimum + 1;
        int below = histogram[minimum];
        while (s < maximum && 2 * below < total) {
            below += histogram[s];
            ++s;
        }

        // The last box moves into the chosen one's slot; the two parts are appended.
        boxes_[chosen] = boxes_[boxCount_ - 1];
        ranges[chosen] = ranges[boxCount_ - 1];
        --boxCount_;
        // Partition the range and shrink both parts in one pass.
        int lowLo[3] = {255, 255, 255}, lowHi[3] = {0, 0, 0};
        int highLo[3] = {255, 255, 255}, highHi[3] = {0, 0, 0};
        ColorEntry* i = begin;
        ColorEntry* j = end;
        for (;;) {
            for (; i < j && i->c[channel] < s; ++i)
                Widen(*i, lowLo, lowHi);
            for (; i < j && (j - 1)->c[channel] >= s; --j)
                Widen(*(j - 1), highLo, highHi);
            if (i >= j)
                break;
            std::swap(*i, *(j - 1));
        }
        ColorEntry* middle = i;
        ColorBox lower = box, upper = box;
        lower.count = below;
        upper.count = total - below;
        SetBoxBounds(lower, lowLo, lowHi);
        SetBoxBounds(upper, highLo, highHi);
        lower.node = NewLeaf();
        upper.node = NewLeaf();
        ColorNode& parent = nodes_[size_t(box.node)];
        parent.splitChannel = channel;
        parent.threshold = s;
        parent.lower = lower.node;
        parent.upper = upper.node;
        const uint32_t split = uint32_t(middle - entries.data());
        ranges[boxCount_] = {range.begin, split};
        boxes_[boxCount_++] = lower;
        ranges[boxCount_] = {split, range.end};
        boxes_[boxCount_++] = upper;
    }

    for (int i = 0; i < boxCount_; ++i)
        nodes_[size_t(boxes_[i].node)].paletteIndex = uint8_t(i);
    FillCellStarts();
    return true;
}

void CMedianCut::FillCellStarts() {
    for (int cell = 0; cell < 4096; ++cell) {
        // The cell's range of values per channel, blue, green, red.
        const int lo[3] = {(cell & 15) << 4, ((cell >> 4) & 15) << 4, (cell >> 8) << 4};
        int32_t node = 0;
        while (nodes_[size_t(node)].splitChannel >= 0) {
            const ColorNode& n = nodes_[size_t(node)];
            const int low = lo[n.splitChannel], high = low + 15;
            if (high < n.threshold)
                node = n.lower;
            else if (low >= n.threshold)
                node = n.upper;
            else
                break;
        }
        cellStart_[size_t(cell)] = int16_t(node);
    }
}

void CMedianCut::PaletteColor(int i, uint8_t bgr[3]) const {
    const ColorBox& b = boxes_[i];
    bgr[0] = uint8_t(b.blueMin + b.blueExtent / 2);
    bgr[1] = uint8_t(b.greenMin + b.greenExtent / 2);
    bgr[2] = uint8_t(b.redMin + b.redExtent / 2);
}

namespace {

// The diffusion itself, inlined into the per-pixel loops.
inline void Diffuse(uint8_t* p, const uint8_t q[3], bool right, bool down, bool left,
                    uint32_t stride) {
    uint8_t* next = p + stride;
    for (int c = 0; c < 3; ++c) {
        const int e = int(p[c]) - int(q[c]);
        if (e == 0)
            continue;
        // Arithmetic shifts: shares round toward minus infinity.
        const int five = (5 * e) >> 4;
        const int three = (3 * e) >> 4;
        if (right)
            p[3 + c] = ClampByte(p[3 + c] + five);
        if (down) {
            next[c] = ClampByte(next[c] + five);
            if (right)
                next[3 + c] = ClampByte(next[3 + c] + three);
            if (left)
                next[c - 3] = ClampByte(next[c - 3] + three);
        }
    }
}

} // namespace

void DiffuseError(uint8_t* p, const uint8_t q[3], int x, int y, int width, int height,
                  uint32_t stride) {
    Diffuse(p, q, x + 1 < width, y + 1 < height, x >= 1, stride);
}

namespace {

// Shared by the 4- and 8-bit reductions: palette from the median cut, then each row
// mapped through the tree with the error carried in two row buffers.
DibPtr ReduceWithMedianCut(const PackedDib* image, int n, int bitCount) {
    if (!image || image->bitCount != 24 || image->width <= 0 || image->height <= 0)
        return nullptr;
    const int width = image->width;
    const int height = image->height;
    const uint32_t stride = DibRowBytes(image);
    CMedianCut cut;
    if (!cut.Build(DibBits(image), width, height, stride, n))
        return nullptr;
    DibPtr out(DibCreate(bitCount, width, height));
    if (!out)
        return nullptr;

    const int k = cut.BoxCount();
    uint8_t palette[CMedianCut::kMaxBoxes][3];
    uint8_t* table = DibColorTable(out.get());
    std::memset(table, 0, 4 * size_t(out->colorsUsed));
    for (int i = 0; i < k; ++i) {
        cut.PaletteColor(i, palette[i]);
        std::memcpy(table + 4 * i, palette[i], 3);
    }
    // The table holds exactly the colours found, so the pixels move up behind it.
    out->colorsUsed = uint32_t(k);
    std::memset(DibBits(out.get()), 0, DibPixelBytes(out.get()));

    // A and B side by side, so that the next row lies one stride after the current one.
    std::vector<uint8_t> rows(2 * size_t(stride));
    uint8_t* a = rows.data();
    uint8_t* b = a + stride;
    const uint8_t* src = DibBits(image);
    std::memcpy(b, src, stride);
    const uint32_t outStride = DibRowBytes(out.get());
    for (int y = 0; y < height; ++y) {
        const bool down = y + 1 < height;
        std::memcpy(a, b, stride);
        if (down)
            std::memcpy(b, src + size_t(y + 1) * stride, stride);
        uint8_t* dst = DibBits(out.get()) + size_t(y) * outStride;
        uint8_t* p = a;
        for (int x = 0; x < width; ++x, p += 3) {
            const uint8_t index = cut.Lookup(p);
            if (bitCount == 8)
                dst[x] = index;
            else
                dst[x >> 1] |= (x & 1) ? index : uint8_t(index << 4);
            Diffuse(p, palette[index], x + 1 < width, down, x >= 1, stride);
        }
    }
    return out;
}

struct WebTables {
    uint8_t palette[kWebPaletteSize][3]; // blue, green, red
    uint8_t cube[4096];

    WebTables() {
        for (int i = 0; i < kWebPaletteSize; ++i) {
            const uint32_t rgb = WebPaletteColor(i);
            palette[i][0] = uint8_t(rgb);
            palette[i][1] = uint8_t(rgb >> 8);
            palette[i][2] = uint8_t(rgb >> 16);
        }
        for (int r = 0; r < 16; ++r)
            for (int g = 0; g < 16; ++g)
                for (int b = 0; b < 16; ++b) {
                    int best = 0;
                    int bestDistance = 1 << 30;
                    for (int i = 0; i < kWebPaletteSize; ++i) {
                        const int dr = 16 * r - palette[i][2];
                        const int dg = 16 * g - palette[i][1];
                        const int db = 16 * b - palette[i][0];
                        const int d = dr * dr + dg * dg + db * db;
                        if (d < bestDistance) {
                            bestDistance = d;
                            best = i;
                        }
                    }
                    cube[r * 256 + g * 16 + b] = uint8_t(best);
                }
    }
};

const WebTables& Web() {
    static const WebTables tables; // built on first use, kept for the run
    return tables;
}

} // namespace

DibPtr ReduceColorsTo4Bit(const PackedDib* image, int n) {
    return ReduceWithMedianCut(image, std::clamp(n, 1, 16), 4);
}

DibPtr ReduceColorsTo8Bit(const PackedDib* image, int n) {
    return ReduceWithMedianCut(image, std::min(n, 256), 8);
}

uint32_t WebPaletteColor(int i) {
    if (i < 216) {
        const uint32_t r = uint32_t(i / 36) * 51, g = uint32_t(i / 6 % 6) * 51,
                       b = uint32_t(i % 6) * 51;
        return r << 16 | g << 8 | b;
    }
    // The combinations of 0, 128 and 255 holding at least one 128; red varies fastest.
    static const uint8_t levels[3] = {0, 128, 255};
    int k = 216;
    for (int b = 0; b < 3; ++b)
        for (int g = 0; g < 3; ++g)
            for (int r = 0; r < 3; ++r) {
                if (r != 1 && g != 1 && b != 1)
                    continue;
                if (k++ == i)
                    return uint32_t(levels[r]) << 16 | uint32_t(levels[g]) << 8 | levels[b];
            }
    return 0;
}

DibPtr ReduceToWebSafe(PackedDib* image) {
    if (!image || image->bitCount != 24 || image->width <= 0 || image->height <= 0)
        return nullptr;
    const WebTables& web = Web();
    const int width = image->width;
    const int height = image->height;
    DibPtr out = DibCreate(8, width, height);
    if (!out)
        return nullptr;
    uint8_t* table = DibColorTable(out.get());
    for (int i = 0; i < kWebPaletteSize + 2; ++i) {
        if (i < kWebPaletteSize)
            std::memcpy(table + 4 * i, web.palette[i], 3);
        else
            std::memset(table + 4 * i, 0, 3);
        table[4 * i + 3] = 0;
    }
    const uint32_t stride = DibRowBytes(image);
    const uint32_t outStride = DibRowBytes(out.get());
    for (int y = 0; y < height; ++y) {
        const bool down = y + 1 < height;
        uint8_t* p = DibBits(image) + size_t(y) * stride;
        uint8_t* dst = DibBits(out.get()) + size_t(y) * outStride;
        for (int x = 0; x < width; ++x, p += 3) {
            const uint8_t index = web.cube[CellIndex(p[2], p[1], p[0])];
            dst[x] = index;
            Diffuse(p, web.palette[index], x + 1 < width, down, x >= 1, stride);
        }
    }
    return out;
}
