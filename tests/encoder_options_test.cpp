// The encoder's option dialect and report lines, without running it.
#include "options.h"
#include "report.h"

#include <gtest/gtest.h>

using enc::parseOptions;

TEST(EncoderOptions, TheConverterCommandLineParses)
{
    const auto parsed = parseOptions({"-i",
                                      "/in/holiday.trip.avi",
                                      "-f",
                                      "mp4",
                                      "-s",
                                      "320x180",
                                      "-vcodec",
                                      "mpeg4",
                                      "-vol",
                                      "100",
                                      "-deinterlace",
                                      "-padtop",
                                      "30",
                                      "-padbottom",
                                      "30",
                                      "-r",
                                      "25",
                                      "-b",
                                      "256k",
                                      "-acodec",
                                      "aac",
                                      "-ab",
                                      "40,5k",
                                      "-ac",
                                      "2",
                                      "-ar",
                                      "22050",
                                      "-async",
                                      "100",
                                      "-title",
                                      "holiday",
                                      "-timestamp",
                                      "2009-01-02 03:04:05",
                                      "-bitexact",
                                      "-y",
                                      "/out/holiday.trip.mp4"});
    ASSERT_EQ(parsed.error, "");
    const auto& o = parsed.options;
    EXPECT_EQ(o.input, "/in/holiday.trip.avi");
    EXPECT_EQ(o.format, "mp4");
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 180);
    EXPECT_TRUE(o.deinterlace);
    EXPECT_EQ(o.padTop, 30);
    EXPECT_EQ(o.padLeft, 0);
    EXPECT_DOUBLE_EQ(o.frameRate, 25);
    EXPECT_EQ(o.videoBitRate, 256000);
    EXPECT_EQ(o.audioBitRate, 40500);
    EXPECT_EQ(o.channels, 2);
    EXPECT_EQ(o.sampleRate, 22050);
    EXPECT_EQ(o.title, "holiday");
    EXPECT_EQ(o.timestamp, "2009-01-02 03:04:05");
    EXPECT_TRUE(o.bitexact);
    EXPECT_TRUE(o.overwrite);
    EXPECT_EQ(o.output, "/out/holiday.trip.mp4");
}

TEST(EncoderOptions, DeviceDecoderLimitsParse)
{
    const auto parsed = parseOptions({"-i", "a.avi", "-b", "1500k", "-vprofile", "baseline", "-level", "3.0",
                                      "-maxrate", "2000,5k", "-y", "out.mp4"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.videoProfile, "baseline");
    EXPECT_EQ(parsed.options.videoLevel, "3.0");
    EXPECT_EQ(parsed.options.maxVideoRate, 2000500);
    const auto plain = parseOptions({"-i", "a.avi", "-y", "out.mp4"});
    EXPECT_EQ(plain.options.videoProfile, "");
    EXPECT_EQ(plain.options.videoLevel, "");
    EXPECT_EQ(plain.options.maxVideoRate, 0);
}

TEST(EncoderOptions, BadCommandLinesAreRefused)
{
    const std::vector<std::vector<std::string>> cases = {
        {"-i"},                                                            // missing value
        {"-i", "a.avi", "-loop", "1", "out.mp4"},                          // unknown option
        {"-i", "a.avi", "-s", "320", "out.mp4"},                           // not a size
        {"-i", "a.avi", "-b", "fast", "out.mp4"},                          // not a rate
        {"-i", "a.avi", "-maxrate", "-1k", "out.mp4"},                     // not a rate
        {"-i", "a.avi", "-level", "", "out.mp4"},                          // an empty level
        {"-i", "a.avi", "-padleft", "2147483647", "out.mp4"},              // borders past any screen
        {"-i", "a.avi", "-s", "16000x100", "-padright", "400", "out.mp4"}, // the whole frame too
        {"-i", "a.avi", "-s", "20000x100", "out.mp4"},
        {"-i", "a.avi", "-ar", "99999999", "out.mp4"},
        {"-i", "a.avi", "-ac", "64", "out.mp4"},
        {"-i", "a.avi", "-vol", "99999999", "out.mp4"},
        {"-i", "a.avi", "stray", "-y", "out.mp4"}, // a path before the end
        {"-f", "mp4", "out.mp4"},                  // no input
    };
    for (const auto& args : cases)
        EXPECT_NE(parseOptions(args).error, "") << args.back();
}

TEST(EncoderReport, LinesHaveTheShapeTheConverterReads)
{
    EXPECT_EQ(enc::durationLine(83'456'000, 0, 1234), "  Duration: 00:01:23.46, start: 0.000000, bitrate: 1234 kb/s");
    EXPECT_EQ(enc::durationLine(3'599'996'000, 1'500'000, 0),
              "  Duration: 01:00:00.00, start: 1.500000, bitrate: 0 kb/s");
    EXPECT_EQ(enc::videoLine({1, "h264", "yuv420p", 720, 1280, 29.97002997}),
              "    Stream #0.1: Video: h264, yuv420p, 720x1280, 29.97 fps(r)");
    EXPECT_EQ(enc::audioLine({2, "aac", 48000, "5.1", 384}), "    Stream #0.2: Audio: aac, 48000 Hz, 5.1, 384 kb/s");
    EXPECT_EQ(enc::audioLine({0, "pcm_s16le", 8000, "mono", -1}), "    Stream #0.0: Audio: pcm_s16le, 8000 Hz, mono");
    // Fields never carry the separators the reader cuts at.
    EXPECT_EQ(enc::audioLine({0, "x,y", 8000, "a:b", -1}), "    Stream #0.0: Audio: x y, 8000 Hz, a b");
}
