// The coded frame an encoder can take, from the picture size and borders a command line asks for.
#pragma once

namespace enc {

// A picture scaled to pictureWidth x pictureHeight, then bordered.
struct FrameLayout {
    int pictureWidth = 0;
    int pictureHeight = 0;
    int padLeft = 0, padRight = 0, padTop = 0, padBottom = 0;

    int width() const { return pictureWidth + padLeft + padRight; }
    int height() const { return pictureHeight + padTop + padBottom; }
    bool operator==(const FrameLayout&) const = default;
};

struct EncoderFrameRules {
    bool evenWidth = false;  // chroma halved across: the frame's width must be even
    bool evenHeight = false; // chroma halved down: the frame's height must be even
    bool h263Sizes = false;  // only H.263's five standard sizes
};

// The layout the encoder takes: an odd side is made even by taking a pixel from the right or
// bottom border first, then the left or top one, then the picture; a frame a few pixels short of
// an H.263 size has its right and bottom borders grown to it (a fitted picture can land a row or
// two short of the screen it was meant to fill).
FrameLayout encoderFrame(FrameLayout requested, EncoderFrameRules rules);

} // namespace enc
