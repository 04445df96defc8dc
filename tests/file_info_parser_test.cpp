#include "core/media/file_info.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Parses report lines as if the encoder had printed them for a real 2 MiB file.
class ParseOutputTest : public ::testing::Test {
protected:
    TFileInfo parse(const QStringList& lines, TFileInfo start = {})
    {
        TFileInfoParser parser(mediaFile, QStringLiteral("/nowhere/"), &prompts);
        parser.Output = lines;
        parser.ParseOutput(start);
        return start;
    }

    QTemporaryDir dir;
    QString mediaFile = writeFile(dir.path() + QStringLiteral("/clips/a.avi"), QByteArray(2 * 1048576, 'x'));
    FakePrompts prompts;
};

const QString kDuration = QStringLiteral("  Duration: 00:01:23.4, start: 0.000000, bitrate: 1234 kb/s");
const QString kVideo = QStringLiteral("    Stream #0.0: Video: mpeg4, yuv420p, 640x480, 25.00 fps(r)");
const QString kAudio = QStringLiteral("    Stream #0.1: Audio: mp3, 44100 Hz, stereo, 128 kb/s");

} // namespace

TEST_F(ParseOutputTest, WorkedExampleFillsEveryField)
{
    const TFileInfo info =
        parse({QStringLiteral("Input #0, avi, from 'C:\\clips\\a.avi':"), kDuration, kVideo, kAudio});
    EXPECT_EQ(info.Duration, QStringLiteral("00:01:23.4"));
    EXPECT_EQ(info.BitRate, 1234);
    EXPECT_EQ(info.VideoCodec, QStringLiteral("mpeg4"));
    EXPECT_EQ(info.Resolution, QStringLiteral("640x480"));
    EXPECT_DOUBLE_EQ(info.FrameRate, 25.0);
    EXPECT_EQ(info.AudioCodec, QStringLiteral("mp3"));
    EXPECT_EQ(info.SamplingRate, 44100);
    EXPECT_EQ(info.Channels, 2);
    EXPECT_EQ(info.AudioBitRate, 128);
    EXPECT_DOUBLE_EQ(info.SizeMb, 2.0);
    EXPECT_EQ(info.FileName, QStringLiteral("a.avi"));
    EXPECT_EQ(info.FilePath, mediaFile);
    EXPECT_FALSE(IsUnsupported(info));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ParseOutputTest, LineShapesGiveTheirCuts)
{
    struct Case {
        const char* line;
        const char* videoCodec;
        const char* resolution;
        double frameRate;
        const char* audioCodec;
        int samplingRate;
        int channels;
        double audioBitRate;
    };
    const Case cases[] = {
        {"Stream #0.1: Audio: pcm_s16le, 8000 Hz, mono", "", "", 0, "pcm_s16le", 8000, 1, 0},
        {"Stream #0.0: Video: h264, yuv420p, 1280x720, 1500 kb/s, 29.97 fps(r)", "h264", "1280x720", 29.97, "", 0, 0,
         0},
        {"Stream #0.1: Audio: aac, 48000 Hz, 5.1, 384 kb/s", "", "", 0, "aac", 48000, 0, 384},
        {"Stream #0.0: Video: mpeg4, yuv420p, 640x480, 25 fps(r)", "mpeg4", "640x480", 25, "", 0, 0, 0},
        {"Stream #0.0: Video: mpeg4, yuv420p, 640x480 [PAR 1:1 DAR 4:3], 25.00 fps(r)", "mpeg4",
         "640x480 [PAR 1:1 DAR 4:3]", 25, "", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TFileInfo info = parse({QString::fromLatin1(c.line)});
        EXPECT_EQ(info.VideoCodec, QString::fromLatin1(c.videoCodec));
        EXPECT_EQ(info.Resolution, QString::fromLatin1(c.resolution));
        EXPECT_DOUBLE_EQ(info.FrameRate, c.frameRate);
        EXPECT_EQ(info.AudioCodec, QString::fromLatin1(c.audioCodec));
        EXPECT_EQ(info.SamplingRate, c.samplingRate);
        EXPECT_EQ(info.Channels, c.channels);
        EXPECT_DOUBLE_EQ(info.AudioBitRate, c.audioBitRate);
        EXPECT_TRUE(prompts.messages.isEmpty());
    }
}

TEST_F(ParseOutputTest, LaterLinesWinAndEarlierValuesStay)
{
    const TFileInfo info =
        parse({kDuration, kVideo, kAudio, QStringLiteral("Stream #0.2: Video: h264, yuv420p, 320x240, 15.00 fps(r)"),
               QStringLiteral("Stream #0.3: Audio: aac, 22050 Hz, 5.1")});
    EXPECT_EQ(info.VideoCodec, QStringLiteral("h264"));
    EXPECT_EQ(info.Resolution, QStringLiteral("320x240"));
    EXPECT_EQ(info.AudioCodec, QStringLiteral("aac"));
    EXPECT_EQ(info.SamplingRate, 22050);
    EXPECT_EQ(info.Channels, 2);       // "5.1" leaves the earlier stereo
    EXPECT_EQ(info.AudioBitRate, 128); // not touched by a line without a bit rate
}

TEST_F(ParseOutputTest, ParseErrorsShowTheMessageAndLeaveTheRecordAlone)
{
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"  Duration: 00:00:05.00, start: 0.000000, bitrate: N/A", "'N/A' is not a valid integer value"},
        {"Stream #0.0: Video: mpeg4, yuv420p, 640x480, 25.00 tb(r)",
         "'25.00 tb(r)' is not a valid floating point value"},
        {"Stream #0.1: Audio: mp3, stereo", "'' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        prompts.messages.clear();
        TFileInfo before;
        before.FileName = QStringLiteral("untouched");
        const TFileInfo after = parse({kVideo, QString::fromLatin1(c.line)}, before);
        EXPECT_EQ(after, before);
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_EQ(prompts.messages[0].caption, QStringLiteral("Error"));
        EXPECT_EQ(prompts.messages[0].text,
                  QStringLiteral("The report on %1 cannot be read: %2").arg(mediaFile, QString::fromLatin1(c.message)));
        EXPECT_EQ(prompts.messages[0].icon, PromptIcon::Error);
    }
}

TEST_F(ParseOutputTest, UnsupportedRule)
{
    // Duration without a comma gives no duration.
    EXPECT_TRUE(IsUnsupported(parse({QStringLiteral("  Duration: 00:00:05.00"), kVideo})));
    // Audio only.
    EXPECT_TRUE(IsUnsupported(parse({kDuration, kAudio})));
    // No report at all still gives name, path and size.
    const TFileInfo empty = parse({});
    EXPECT_TRUE(IsUnsupported(empty));
    EXPECT_EQ(empty.FileName, QStringLiteral("a.avi"));
    EXPECT_DOUBLE_EQ(empty.SizeMb, 2.0);
    EXPECT_EQ(empty.Channels, 0);
    EXPECT_EQ(empty.SamplingRate, 0);
}

TEST(FileInfoParser, PathWithoutFolderAndPathsWithSpecialCharacters)
{
    struct Case {
        const char* path;
        const char* name;
    };
    for (const Case& c : {Case{"clip.avi", "clip.avi"}, Case{"/v/Video: trip, 2009.avi", "Video: trip, 2009.avi"},
                          Case{"C:\\clips\\b.mp4", "b.mp4"}}) {
        TFileInfoParser parser(QString::fromUtf8(c.path), QStringLiteral("/nowhere/"), nullptr);
        TFileInfo info;
        parser.ParseOutput(info);
        EXPECT_EQ(info.FileName, QString::fromUtf8(c.name));
        EXPECT_EQ(info.FilePath, QString::fromUtf8(c.path));
        EXPECT_EQ(info.SizeMb, 0);
    }
}
