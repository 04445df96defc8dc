#include "frame_size.h"

namespace enc {
namespace {

void evenOut(int& picture, int& padBefore, int& padAfter)
{
    if ((picture + padBefore + padAfter) % 2 == 0)
        return;
    if (padAfter > 0)
        --padAfter;
    else if (padBefore > 0)
        --padBefore;
    else
        --picture;
}

void growToH263Size(FrameLayout& layout)
{
    static const int sizes[][2] = {{128, 96}, {176, 144}, {352, 288}, {704, 576}, {1408, 1152}};
    constexpr int kMaxGrowth = 8;
    for (const auto& size : sizes) {
        const int dw = size[0] - layout.width();
        const int dh = size[1] - layout.height();
        if (dw >= 0 && dh >= 0 && dw <= kMaxGrowth && dh <= kMaxGrowth) {
            layout.padRight += dw;
            layout.padBottom += dh;
            return;
        }
    }
}

} // namespace

FrameLayout encoderFrame(FrameLayout requested, EncoderFrameRules rules)
{
    FrameLayout layout = requested;
    if (rules.evenWidth)
        evenOut(layout.pictureWidth, layout.padLeft, layout.padRight);
    if (rules.evenHeight)
        evenOut(layout.pictureHeight, layout.padTop, layout.padBottom);
    if (rules.h263Sizes)
        growToH263Size(layout);
    return layout;
}

} // namespace enc
