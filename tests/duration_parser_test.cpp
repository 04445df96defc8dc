#include "core/media/duration_parser.h"
#include "core/media/text_convert.h"

#include <gtest/gtest.h>

TEST(DurationParser, ReadsFieldsAndTotalTenths)
{
    struct Case {
        const char* text;
        int hours, minutes, seconds, tenths, total;
    };
    for (const Case& c : {Case{"00:01:23.45", 0, 1, 23, 4, 834}, Case{"01:00:00.0", 1, 0, 0, 0, 36000},
                          Case{"10:59:59.99", 10, 59, 59, 9, 395999}, Case{"00:00:00.00", 0, 0, 0, 0, 0}}) {
        const TDurationParser parser(QString::fromLatin1(c.text));
        SCOPED_TRACE(c.text);
        EXPECT_EQ(parser.Hours(), c.hours);
        EXPECT_EQ(parser.Minutes(), c.minutes);
        EXPECT_EQ(parser.Seconds(), c.seconds);
        EXPECT_EQ(parser.Tenths(), c.tenths);
        EXPECT_EQ(parser.TotalTenths(), c.total);
    }
    EXPECT_EQ(TDurationParser(QStringLiteral("00:01:23.45")).ShortText(), QStringLiteral("00:01:23"));
}

TEST(DurationParser, ShortOrBrokenTextFailsWithTheConversionError)
{
    for (const char* bad : {"00:01:23", "00:01:23.", "", "xx:01:23.4"})
        EXPECT_THROW(TDurationParser(QString::fromLatin1(bad)).TotalTenths(), EConvertError) << bad;
}
