#include "core/conversion/exec_str_calculator.h"
#include "core/media/file_utils.h"
#include "core/media/text_convert.h"

#include "test_support.h"

#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The worked example: a 720p holiday clip for a 320x240 player.
TExecStrCalculator workedExample()
{
    TExecStrCalculator c(QStringLiteral("/apps/conv/"));
    c.SourceFile = QStringLiteral("/video/holiday.trip.avi");
    c.TargetFile = QStringLiteral("/out/holiday.trip.mp4");
    c.FileInfo.Resolution = QStringLiteral("1280x720");
    c.FileInfo.AudioBitRate = 128;
    c.FileInfo.SamplingRate = 44100;
    c.FileInfo.Channels = 2;
    c.FileInfo.FrameRate = 29.97;
    c.FileInfo.BitRate = 1500;
    TConversionRequest& p = c.Parameters;
    p.FileFormat = QStringLiteral("mp4");
    p.VideoCodec = QStringLiteral("mpeg4");
    p.AudioCodec = QStringLiteral("aac");
    p.ResolutionX = 320;
    p.ResolutionY = 240;
    p.ZoomMode = zmFitToScreen;
    p.VideoQuality = qlBest;
    p.VideoBitRate = 256;
    p.FrameRate = 25;
    p.AudioQuality = qlBest; // sound bit rate, sampling and channels from the source
    p.Volume = 100;
    return c;
}

QString piece(const QString& line, const QString& option)
{
    const qsizetype at = line.indexOf(QLatin1Char(' ') + option + QLatin1Char(' '));
    if (at < 0)
        return {};
    const qsizetype start = at + option.size() + 2;
    return line.mid(start, line.indexOf(QLatin1Char(' '), start) - start);
}

} // namespace

TEST(ExecStrCalculator, WorkedExampleCharacterForCharacter)
{
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    const TExecStrCalculator c = workedExample();
    EXPECT_EQ(c.GetExecString(),
              QStringLiteral("\"/apps/conv/encoder/encoder\" -i \"/video/holiday.trip.avi\" -f mp4 -s 320x180 "
                             "-vcodec mpeg4 -vol 100 -deinterlace  -padtop 30 -padbottom 30 -r 25 -b 256k -acodec aac "
                             "-ab 64k -ac 2 -ar 22050 -async 100 -title \"holiday\" -bitexact -y "
                             "\"/out/holiday.trip.mp4\""));
    EXPECT_EQ(c.GetArguments(),
              (TextList{"-i",
                        "/video/holiday.trip.avi",
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
                        "64k",
                        "-ac",
                        "2",
                        "-ar",
                        "22050",
                        "-async",
                        "100",
                        "-title",
                        "holiday",
                        "-bitexact",
                        "-y",
                        "/out/holiday.trip.mp4"}));
}

TEST(ExecStrCalculator, CeilingsAndSourceValues)
{
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    struct Case {
        const char* what;
        std::function<void(TExecStrCalculator&)> set;
        const char* option;
        const char* expected;
    };
    const Case cases[] = {
        {"rate at ceiling",
         [](TExecStrCalculator& c) {
             c.Parameters.VideoQuality = qlGood;
             c.Parameters.FrameRate.reset();
             c.FileInfo.FrameRate = 15;
         },
         "-r", "15"},
        {"rate below ceiling",
         [](TExecStrCalculator& c) {
             c.Parameters.VideoQuality = qlGood;
             c.Parameters.FrameRate.reset();
             c.FileInfo.FrameRate = 14.985;
         },
         "-r", "14.985"},
        {"sampling over ceiling",
         [](TExecStrCalculator& c) {
             c.Parameters.AudioQuality = qlLow;
             c.FileInfo.SamplingRate = 44100;
         },
         "-ar", "8000"},
        {"sampling at best", [](TExecStrCalculator& c) { c.FileInfo.SamplingRate = 22050; }, "-ar", "22050"},
        {"no source bit rate",
         [](TExecStrCalculator& c) {
             c.Parameters.VideoBitRate.reset();
             c.FileInfo.BitRate = 0;
         },
         "-b", "0k"},
        {"video bit rate ceiling",
         [](TExecStrCalculator& c) {
             c.Parameters.VideoQuality = qlMedium;
             c.Parameters.VideoBitRate.reset();
         },
         "-b", "64k"},
        {"stereo at good", [](TExecStrCalculator& c) { c.Parameters.AudioQuality = qlGood; }, "-ac", "1"},
        {"stereo at low", [](TExecStrCalculator& c) { c.Parameters.AudioQuality = qlLow; }, "-ac", "1"},
        {"mono source", [](TExecStrCalculator& c) { c.FileInfo.Channels = 1; }, "-ac", "1"},
        {"no channels found", [](TExecStrCalculator& c) { c.FileInfo.Channels = 0; }, "-ac", "0"},
        {"audio bit rate below", [](TExecStrCalculator& c) { c.FileInfo.AudioBitRate = 48; }, "-ab", "48k"},
        {"a value given is used", [](TExecStrCalculator& c) { c.Parameters.Sampling = 32000; }, "-ar", "32000"},
        {"a level outside the table limits as the best",
         [](TExecStrCalculator& c) {
             c.Parameters.AudioQuality = static_cast<TQualityLevel>(255);
             c.FileInfo.AudioBitRate = 96;
         },
         "-ab", "64k"},
        {"title of a.b.c.avi", [](TExecStrCalculator& c) { c.SourceFile = QStringLiteral("/v/a.b.c.avi"); }, "-title",
         "\"a\""},
        {"title without extension", [](TExecStrCalculator& c) { c.SourceFile = QStringLiteral("/v/clip"); }, "-title",
         "\"clip\""},
        {"full screen stretches", [](TExecStrCalculator& c) { c.Parameters.ZoomMode = zmFullScreen; }, "-s", "320x240"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TExecStrCalculator c = workedExample();
        k.set(c);
        EXPECT_EQ(piece(c.GetExecString(), QString::fromLatin1(k.option)), QString::fromLatin1(k.expected));
    }
    TExecStrCalculator full = workedExample();
    full.Parameters.ZoomMode = zmFullScreen;
    EXPECT_FALSE(full.GetExecString().contains(QStringLiteral("-pad")));
}

TEST(ExecStrCalculator, NumbersAreWrittenWithoutTheUsersLocale)
{
    LocaleScope scope(QLocale(QLocale::German, QLocale::Germany));
    TExecStrCalculator c = workedExample();
    c.Parameters.FrameRate = 12.5;
    c.FileInfo.AudioBitRate = 40.5; // taken from the source
    const QString line = c.GetExecString();
    EXPECT_EQ(piece(line, QStringLiteral("-r")), QStringLiteral("12.5"));
    EXPECT_EQ(piece(line, QStringLiteral("-ab")), QStringLiteral("40.5k"));
}

TEST(ExecStrCalculator, TimeStampAndAwkwardPaths)
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/my \"best\" clip.avi");
    QFile file(source);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    TExecStrCalculator c = workedExample();
    c.SourceFile = source;
    c.Parameters.SetConvertedAsOriginal = true;
    const QString stamp = FileCreationDateText(source);
    ASSERT_FALSE(stamp.isEmpty());
    EXPECT_TRUE(c.GetExecString().contains(QStringLiteral(" -title \"my \"best\" clip\" -timestamp \"") + stamp
                                           + QStringLiteral("\" -bitexact -y ")));
    const QStringList args = c.GetArguments();
    EXPECT_EQ(args.at(1), source);
    EXPECT_EQ(args.at(args.indexOf(QStringLiteral("-timestamp")) + 1), stamp);
}

TEST(ExecStrCalculator, UnreadableFrameSizeFails)
{
    TExecStrCalculator c = workedExample();
    c.FileInfo.Resolution = QStringLiteral("640x480 [PAR 1:1 DAR 4:3]");
    EXPECT_THROW(c.GetExecString(), EConvertError);
    c.Parameters.ZoomMode = zmFullScreen; // stretching never reads the source size
    EXPECT_NO_THROW(c.GetExecString());
}

TEST(ExecStrCalculator, PictureAndBordersFillTheScreenExactly)
{
    struct Case {
        const char* source;
        int screenW, screenH; // as the catalogue lists it
        int frameW, frameH;   // the frame the command line asks for
        const char* size;     // its -s
    };
    const Case cases[] = {
        {"640x480", 320, 240, 320, 240, "320x240"},   {"1280x720", 320, 240, 320, 240, "320x180"},
        {"720x576", 320, 240, 320, 240, "300x240"},   {"720x480", 320, 240, 320, 240, "320x214"},
        {"176x144", 320, 240, 320, 240, "176x144"},   {"300x225", 320, 240, 320, 240, "300x224"},
        {"300x227", 320, 240, 320, 240, "300x226"},   {"1920x1080", 480, 272, 480, 272, "480x272"},
        {"1280x720", 240, 320, 320, 240, "320x180"},  // portrait-listed phone, held sideways
        {"1080x1920", 240, 320, 240, 320, "180x320"}, // portrait clip on a portrait-listed phone
        {"640x480", 176, 144, 176, 144, "176x132"},   {"3840x2160", 1920, 1200, 1920, 1200, "1920x1080"},
        {"1024x436", 480, 272, 480, 272, "480x204"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(std::string(k.source) + " on " + std::to_string(k.screenW) + "x" + std::to_string(k.screenH));
        TExecStrCalculator c = workedExample();
        c.FileInfo.Resolution = QString::fromLatin1(k.source);
        c.Parameters.ResolutionX = k.screenW;
        c.Parameters.ResolutionY = k.screenH;
        const QString line = c.GetExecString();
        const QString size = piece(line, QStringLiteral("-s"));
        EXPECT_EQ(size, QString::fromLatin1(k.size));
        const QStringList wh = size.split(QLatin1Char('x'));
        ASSERT_EQ(wh.size(), 2);
        auto pad = [&line](const char* option) { return piece(line, QString::fromLatin1(option)).toInt(); };
        EXPECT_EQ(wh[0].toInt() + pad("-padleft") + pad("-padright"), k.frameW);
        EXPECT_EQ(wh[1].toInt() + pad("-padtop") + pad("-padbottom"), k.frameH);
    }
}

TEST(ExecStrCalculator, FullScreenTurnsAPortraitScreenForAWideSource)
{
    TExecStrCalculator c = workedExample();
    c.Parameters.ZoomMode = zmFullScreen;
    c.Parameters.ResolutionX = 240;
    c.Parameters.ResolutionY = 320;
    EXPECT_EQ(piece(c.GetExecString(), QStringLiteral("-s")), QStringLiteral("320x240"));
}

TEST(ExecStrCalculator, DeviceDecoderLimitsFollowTheVideoBitRate)
{
    LocaleScope scope(QLocale(QLocale::English, QLocale::UnitedStates));
    TExecStrCalculator c = workedExample();
    EXPECT_FALSE(c.GetExecString().contains(QStringLiteral("-vprofile")));
    EXPECT_FALSE(c.GetExecString().contains(QStringLiteral("-level")));
    EXPECT_FALSE(c.GetExecString().contains(QStringLiteral("-maxrate")));

    c.Parameters.VideoProfile = QStringLiteral("baseline");
    c.Parameters.VideoLevel = QStringLiteral("3.0");
    c.Parameters.MaxVideoBitRate = 1500.5;
    EXPECT_TRUE(c.GetExecString().contains(
        QStringLiteral(" -b 256k -vprofile baseline -level 3.0 -maxrate 1500.5k -acodec aac ")));
    const QStringList args = c.GetArguments();
    const qsizetype at = args.indexOf(QStringLiteral("-vprofile"));
    ASSERT_GT(at, 0);
    EXPECT_EQ(args.mid(at, 6), (TextList{"-vprofile", "baseline", "-level", "3.0", "-maxrate", "1500.5k"}));
}

TEST(ExecStrCalculator, ChannelsGivenStandWhateverTheSource)
{
    struct Case {
        const char* what;
        TQualityLevel quality;
        quint8 sourceChannels;
        uint8_t jobChannels;
        const char* expected;
    };
    const Case cases[] = {
        {"mono asked of a stereo source at best", qlBest, 2, 1, "1"},
        {"stereo asked above the good ceiling", qlGood, 2, 2, "2"},
        {"stereo asked of a mono source", qlBest, 1, 2, "2"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        TExecStrCalculator c = workedExample();
        c.Parameters.AudioQuality = k.quality;
        c.Parameters.Channels = k.jobChannels;
        c.FileInfo.Channels = k.sourceChannels;
        EXPECT_EQ(piece(c.GetExecString(), QStringLiteral("-ac")), QString::fromLatin1(k.expected));
    }
}
