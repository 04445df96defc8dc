#include "core/conversion/pad_calculator.h"
#include "core/media/text_convert.h"

#include <gtest/gtest.h>

TEST(PadCalculator, WorkedResults)
{
    struct Case {
        const char* source;
        int screenW, screenH;
        int width, height, leftRight, topBottom;
    };
    const Case cases[] = {
        {"640x480", 320, 240, 320, 240, 0, 0},   {"1280x720", 320, 240, 320, 180, 0, 30},
        {"720x576", 320, 240, 300, 240, 10, 0},  {"720x480", 320, 240, 320, 214, 0, 12},
        {"176x144", 320, 240, 176, 144, 72, 48}, {"300x225", 320, 240, 300, 224, 10, 8},
        {"300x227", 320, 240, 300, 226, 10, 6},  {"1920x1080", 480, 272, 480, 272, 0, 0},
        {"320x240", 320, 240, 320, 240, 0, 0},   // exactly the screen
        {"161x121", 320, 240, 160, 120, 80, 60}, // odd sizes fold into even ones
        {"640x480", 160, 100, 134, 100, 12, 0},  // an odd border moves a pixel into the picture
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
        EXPECT_EQ(r.Right, c.screenW - c.width - c.leftRight);
        EXPECT_EQ(r.Bottom, c.screenH - c.height - c.topBottom);
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

TEST(PadCalculator, RightAndBottomBordersMakeTheFrameExactlyTheScreen)
{
    // Every source size from tiny to 4K on a few screens, odd ones among them: the picture and its
    // borders add up to the screen, the second border is the first or up to two wider.
    const int screens[][2] = {{320, 240}, {480, 272}, {176, 144}, {1920, 1200}, {321, 241}, {1280, 720}};
    for (const auto& screen : screens) {
        for (int w = 16; w <= 3840; w += 37) {
            for (int h = 16; h <= 2160; h += 41) {
                TPadResult r;
                TPadCalculator(QStringLiteral("%1x%2").arg(w).arg(h), screen[0], screen[1]).Calculate(r);
                ASSERT_EQ(r.Width + r.LeftRight + r.Right, screen[0]) << w << "x" << h;
                ASSERT_EQ(r.Height + r.TopBottom + r.Bottom, screen[1]) << w << "x" << h;
                ASSERT_GE(r.LeftRight, 0);
                ASSERT_GE(r.TopBottom, 0);
                // An odd screen side cannot be split evenly: the second border may be one less.
                ASSERT_LE(r.Right - r.LeftRight, 2) << w << "x" << h;
                ASSERT_GE(r.Right - r.LeftRight, -(screen[0] % 2)) << w << "x" << h;
                ASSERT_LE(r.Bottom - r.TopBottom, 2) << w << "x" << h;
                ASSERT_GE(r.Bottom - r.TopBottom, -(screen[1] % 2)) << w << "x" << h;
                ASSERT_GE(r.Right, 0) << w << "x" << h << " on " << screen[0];
                ASSERT_GE(r.Bottom, 0);
            }
        }
    }
}

TEST(PadCalculator, PortraitScreensTurnForLandscapeSources)
{
    struct Case {
        const char* source;
        int screenW, screenH;
        int expectedW, expectedH;
    };
    const Case cases[] = {
        {"1280x720", 240, 320, 320, 240},  // a phone listed portrait, held sideways for wide video
        {"720x720", 240, 320, 320, 240},   // square sources play sideways too
        {"1080x1920", 240, 320, 240, 320}, // a portrait clip stays upright and fills the screen
        {"1080x1920", 320, 240, 320, 240}, // a landscape screen is never turned
        {"1280x720", 480, 272, 480, 272},  {"", 240, 320, 240, 320}, // nothing known of the source: as listed
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.source) + " on " + std::to_string(c.screenW) + "x" + std::to_string(c.screenH));
        qint32 w = c.screenW;
        qint32 h = c.screenH;
        OrientScreenToSource(QString::fromLatin1(c.source), w, h);
        EXPECT_EQ(w, c.expectedW);
        EXPECT_EQ(h, c.expectedH);
    }
}
