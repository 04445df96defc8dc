#include "conversion/pad_calculator.h"
#include "media/text_convert.h"

#include <gtest/gtest.h>

TEST(PadCalculator, WorkedResults)
{
    struct Case {
        const char* source;
        int screenW, screenH;
        int width, height, leftRight, topBottom;
    };
    const Case cases[] = {
        {"640x480", 320, 240, 320, 240, 0, 0},    {"1280x720", 320, 240, 320, 180, 0, 30},
        {"720x576", 320, 240, 300, 240, 10, 0},   {"720x480", 320, 240, 320, 214, 0, 12},
        {"176x144", 320, 240, 176, 144, 72, 48},  {"300x225", 320, 240, 300, 224, 10, 8},
        {"300x227", 320, 240, 300, 226, 10, 6},   {"1920x1080", 480, 272, 480, 272, 0, 0},
        {"320x240", 320, 240, 320, 240, 0, 0},    // exactly the screen
        {"161x121", 320, 240, 160, 120, 80, 60},  // odd sizes fold into even ones
        {"640x480", 160, 100, 134, 100, 12, 0},   // an odd border moves a pixel into the picture
        {"400x100", 320, 240, 320, 80, 0, 80},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " on " + std::to_string(c.screenW) + "x" + std::to_string(c.screenH));
        TPadResult r;
        TPadCalculator(QString::fromLatin1(c.source), c.screenW, c.screenH).Calculate(r);
        EXPECT_EQ(r.Width, c.width);
        EXPECT_EQ(r.Height, c.height);
        EXPECT_EQ(r.LeftRight, c.leftRight);
        EXPECT_EQ(r.TopBottom, c.topBottom);
    }
}

TEST(PadCalculator, BankersRounding)
{
    EXPECT_EQ(NearestEven(6.5), 6);
    EXPECT_EQ(NearestEven(7.5), 8);
    EXPECT_EQ(NearestEven(-1.5), -2);
    EXPECT_EQ(NearestEven(2.4999), 2);
}

TEST(PadCalculator, UnreadableSizesAndMissingScreensFail)
{
    struct Case {
        const char* source;
        int w, h;
    };
    for (const Case& c : {Case{"", 320, 240}, Case{"640x480 [PAR 1:1 DAR 4:3]", 320, 240}, Case{"640", 320, 240},
                          Case{"640x480", 0, 240}, Case{"640x480", 320, -5}}) {
        TPadResult r;
        r.Width = 7;
        EXPECT_THROW(TPadCalculator(QString::fromLatin1(c.source), c.w, c.h).Calculate(r), EConvertError) << c.source;
        EXPECT_EQ(r.Width, 7) << "the result is left alone";
    }
}
