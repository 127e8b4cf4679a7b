// Where the preview draws inside the phone picture: both the red outline of the target
// size and the output image are centred in the phone's screen area.
#pragma once

#include "image/rect.h"

// The screen area of the phone picture, in its pixels.
constexpr ImageRect kPhoneScreenArea{30, 70, 160, 210};

// A w x h rectangle centred in the screen area, relative to the phone picture's top-left;
// halves truncate toward zero, so a taller image starts above the area.
constexpr ImageRect PreviewPlacement(int width, int height) {
    const int left = kPhoneScreenArea.left + (kPhoneScreenArea.Width() - width) / 2;
    const int top = kPhoneScreenArea.top + (kPhoneScreenArea.Height() - height) / 2;
    return {left, top, left + width, top + height};
}
