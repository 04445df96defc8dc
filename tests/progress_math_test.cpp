#include "core/conversion/progress_math.h"

#include <gtest/gtest.h>

TEST(ProgressMath, ChunkTimes)
{
    struct Case {
        const char* chunk;
        bool keyword;
        bool value;
        int tenths;
    };
    const Case cases[] = {
        {"frame=  123 fps= 45 q=2.0 size=     456kB time=12.3 bitrate= 301.2kbits/s\r", true, true, 123},
        {"frame=1 time=1.5 bitrate=1.0kbits/s\rframe=2 time=9.9 bitrate=1.0kbits/s\r", true, true, 15}, // first only
        {"frame= 10 q=2.0 size= 4kB time=12.3", true, true, 12},         // the chunk ends inside the figure
        {"size= 4kB time=12.34 bitrate= 1.0kbits/s\r", true, true, 154}, // two decimals
        {"time=7 bitrate=1\r", true, true, 7},
        {"time=3.x5 br", true, true, 30},                    // a bad digit ends the number
        {"frame= 10 q=2.0 size= 4kB time=", true, false, 0}, // nothing left after the keyword
        {"frame= 10 q=2.0 size= 4kB", false, false, 0},
        {"", false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chunk);
        const TChunkTime t = ReadChunkTime(QByteArray(c.chunk));
        EXPECT_EQ(t.HasTimeKeyword, c.keyword);
        EXPECT_EQ(t.HasValue, c.value);
        EXPECT_EQ(t.Tenths, c.tenths);
    }
}

TEST(ProgressMath, PercentagesAndBars)
{
    EXPECT_EQ(PercentOf(123, 834), 15);
    EXPECT_EQ(PercentOf(5, 1000), 0);  // 0.5 goes to the even neighbour
    EXPECT_EQ(PercentOf(15, 1000), 2); // 1.5 likewise
    EXPECT_EQ(PercentOf(50, 0), 0);    // zero durations never divide
    EXPECT_EQ(PercentOf(900, 834), 108);
    EXPECT_EQ(BarPosition(108), 100);
    EXPECT_EQ(BarPosition(-3), 0);
}

TEST(ProgressMath, TimeLabels)
{
    // 25 % after 60 s on the estimate clock: 2400 tenths, shown as 4:0 while no more has elapsed.
    EXPECT_EQ(PercentOf(600, 25), 2400);
    EXPECT_EQ(EstimatedTimeText(2400, 240), QStringLiteral("Estimated Time: 4:00"));
    EXPECT_EQ(EstimatedTimeText(2400, 241), QStringLiteral("Estimated Time: 4:01"));
    EXPECT_EQ(EstimatedTimeText(1250, 3), QStringLiteral("Estimated Time: 2:05"));
    EXPECT_EQ(ElapsedTimeText(59), QStringLiteral("Time Elapsed: 0:59"));
    EXPECT_EQ(ElapsedTimeText(65), QStringLiteral("Time Elapsed: 1:05"));
}

TEST(ProgressMath, ClockHasTwoDigitSecondsAndMinutes)
{
    const struct {
        qint64 seconds;
        const char* clock;
    } cases[] = {
        {0, "0:00"},         {2, "0:02"},           {9, "0:09"},     {59, "0:59"},      {60, "1:00"},
        {65, "1:05"},        {600, "10:00"},        {3599, "59:59"}, {3600, "1:00:00"}, {3909, "1:05:09"},
        {36000, "10:00:00"}, {360000, "100:00:00"}, {-5, "0:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClockText(c.seconds), QString::fromLatin1(c.clock)) << c.seconds;
}
