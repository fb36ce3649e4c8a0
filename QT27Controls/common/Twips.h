#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qt27 {

/// Design positions and sizes are written in twips: 1440 a logical inch, and at
/// 96 logical dots per inch 15 twips make one device-independent pixel.
constexpr int kTwipsPerPixel = 15;

/// @p twips in device-independent pixels, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips) {
    return twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                      : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel);
}

/// @p pixels in twips.
constexpr int PixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

/// A rectangle given as Left, Top, Width, Height in twips.
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

inline QSize TwipsSize(int width, int height) {
    return {TwipsToPixels(width), TwipsToPixels(height)};
}

inline QPoint TwipsPoint(int left, int top) {
    return {TwipsToPixels(left), TwipsToPixels(top)};
}

}  // namespace qt27
