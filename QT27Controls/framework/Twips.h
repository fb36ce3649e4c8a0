#pragma once

#include <QRect>

namespace qt27 {

/// Layout positions and sizes are written in twips: 1440 twips per inch, at 96
/// device-independent pixels per inch that is 15 twips a pixel.
constexpr int kTwipsPerPixel = 15;

constexpr int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}
constexpr int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

/// A rectangle given as Left, Top, Width, Height in twips.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace qt27
