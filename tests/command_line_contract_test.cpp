// The command line the converter writes for a request, read by the encoder's own option parser:
// the contract between the two, checked in one place, in a locale that writes decimal commas.
#include "core/conversion/exec_str_calculator.h"
#include "options.h"
#include "test_support.h"

#include <QLocale>

#include <gtest/gtest.h>

TEST(CommandLineContract, TheEncoderReadsWhatTheConverterMeant)
{
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    TExecStrCalculator c(QStringLiteral("/apps/conv/"));
    c.SourceFile = QStringLiteral("/video/holiday.trip.avi");
    c.TargetFile = QStringLiteral("/out/holiday.trip.mp4");
    c.FileInfo.Resolution = QStringLiteral("1280x720");
    c.FileInfo.FrameRate = 29.97;
    TConversionRequest& p = c.Parameters;
    p.FileFormat = QStringLiteral("mp4");
    p.VideoCodec = QStringLiteral("libx264");
    p.AudioCodec = QStringLiteral("aac");
    p.ResolutionX = 320;
    p.ResolutionY = 240;
    p.ZoomMode = zmFitToScreen;
    p.VideoBitRate = 256;
    p.FrameRate = 12.5;
    p.AudioBitRate = 40;
    p.Sampling = 22050;
    p.Channels = 1;
    p.Volume = 150;
    p.VideoProfile = QStringLiteral("baseline");
    p.VideoLevel = QStringLiteral("1.3");
    p.MaxVideoBitRate = 768.5;

    std::vector<std::string> args;
    for (const QString& arg : c.GetArguments())
        args.push_back(arg.toStdString());
    const enc::ParseResult parsed = enc::parseOptions(args);
    ASSERT_EQ(parsed.error, "");
    const enc::EncoderOptions& o = parsed.options;
    EXPECT_EQ(o.input, "/video/holiday.trip.avi");
    EXPECT_EQ(o.output, "/out/holiday.trip.mp4");
    EXPECT_EQ(o.format, "mp4");
    EXPECT_EQ(o.videoCodec, "libx264");
    EXPECT_EQ(o.audioCodec, "aac");
    // Fit to the screen: 320x180 with 30 rows above and below.
    EXPECT_EQ(o.width, 320);
    EXPECT_EQ(o.height, 180);
    EXPECT_EQ(o.padTop, 30);
    EXPECT_EQ(o.padBottom, 30);
    EXPECT_EQ(o.padLeft + o.padRight, 0);
    EXPECT_DOUBLE_EQ(o.frameRate, 12.5);
    EXPECT_EQ(o.videoBitRate, 256000);
    EXPECT_EQ(o.maxVideoRate, 768500);
    EXPECT_EQ(o.videoProfile, "baseline");
    EXPECT_EQ(o.videoLevel, "1.3");
    EXPECT_EQ(o.audioBitRate, 40000);
    EXPECT_EQ(o.sampleRate, 22050);
    EXPECT_EQ(o.channels, 1);
    EXPECT_EQ(o.volumePercent, 150);
    EXPECT_TRUE(o.deinterlace);
    EXPECT_EQ(o.title, std::optional<std::string>("holiday"));
    EXPECT_TRUE(o.bitexact);
    EXPECT_TRUE(o.overwrite);

    // A bit rate left to the source is the source's own, fractions and all, below the ceiling.
    p.VideoBitRate.reset();
    c.FileInfo.BitRate = 200.5;
    args.clear();
    for (const QString& arg : c.GetArguments())
        args.push_back(arg.toStdString());
    const enc::ParseResult fromSource = enc::parseOptions(args);
    ASSERT_EQ(fromSource.error, "");
    EXPECT_EQ(fromSource.options.videoBitRate, 200500);
}
