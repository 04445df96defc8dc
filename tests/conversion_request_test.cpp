// The conversion request's own readers: levels by position and bit rates in whole kbit/s.
#include "core/conversion/conversion_request.h"
#include "core/media/text_convert.h"

#include <gtest/gtest.h>

TEST(ConversionRequest, QualityLevelsByTheirPositionInTheList)
{
    EXPECT_EQ(QualityLevelAt(0), qlBest);
    EXPECT_EQ(QualityLevelAt(3), qlLow);
    EXPECT_EQ(QualityLevelAt(-1), std::nullopt);
    EXPECT_EQ(QualityLevelAt(4), std::nullopt);
}

TEST(ConversionRequest, BitRatesReadInWholeKbitPerSecond)
{
    const struct {
        const char* text;
        int kbits;
    } rows[] = {{"128", 128}, {"96,4", 96}, {"96.5", 97}, {" 64", 64}, {"0", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ReadKbitPerSecond(QString::fromLatin1(row.text)), row.kbits);
    }
    for (const char* text : {"", "fast", "3e9", "nan"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(ReadKbitPerSecond(QString::fromLatin1(text)), EConvertError);
    }
}
