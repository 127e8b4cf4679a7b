// A rectangle in picture pixels: left, top, right, bottom, right and bottom exclusive.
#pragma once

struct ImageRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const ImageRect&, const ImageRect&) = default;
};
