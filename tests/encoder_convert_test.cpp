// The real encoder converts corpus files into device-like profiles; each output is judged by
// probing it, as the converter would.
#include "core/conversion/output_names.h"
#include "core/media/child_process.h"
#include "core/media/file_info.h"
#include "decoders.h"
#include "media_measure.h"
#include "test_support.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

extern "C" {
#include <libavutil/pixfmt.h>
}

#include <csignal>
#include <functional>
#include <sys/stat.h>

namespace {

struct Profile {
    const char* format;
    const char* videoCodec;
    const char* audioCodec;
    int width, height;              // picture size (-s)
    int padLeftRight, padTopBottom; // borders on each side
    const char* rate;               // -r; "0" keeps the source's
    int sampleRate;                 // -ar; 0 keeps the source's
    int channels;                   // -ac; 0 keeps the source's (at most two)
    // What the probe of the output must say.
    const char* container;
    const char* videoName;
    const char* audioName;
};

const Profile kProfiles[] = {
    {"mp4", "mpeg4", "aac", 320, 180, 0, 30, "25", 22050, 2, "mov,mp4", "mpeg4", "aac"},
    {"mp4", "h264", "aac", 480, 272, 0, 0, "0", 0, 0, "mov,mp4", "h264", "aac"},
    {"3gp", "h263", "aac", 176, 144, 0, 0, "15", 8000, 1, "mov,mp4", "h263", "aac"},
    {"3g2", "mpeg4", "aac", 160, 120, 8, 12, "15", 22050, 1, "mov,mp4", "mpeg4", "aac"},
    {"psp", "libx264", "aac", 480, 272, 0, 0, "29.97", 48000, 2, "mov,mp4", "h264", "aac"},
    {"avi", "libxvid", "mp3", 320, 240, 0, 0, "25", 44100, 2, "avi", "mpeg4", "mp3"},
    {"avi", "mpeg4", "libmp3lame", 288, 240, 16, 0, "23.976", 0, 0, "avi", "mpeg4", "mp3"},
    {"wmv", "wmv2", "wmav2", 320, 240, 0, 0, "25", 44100, 2, "asf", "wmv2", "wmav2"},
    {"flv", "flv", "mp3", 320, 240, 0, 0, "25", 22050, 1, "flv", "flv1", "mp3"},
    {"mov", "libx264", "aac", 640, 360, 0, 0, "30", 48000, 2, "mov,mp4", "h264", "aac"},
};

QStringList conversionArgs(const QString& source, const Profile& p, const QString& output)
{
    QStringList args{QStringLiteral("-i"),          source,
                     QStringLiteral("-f"),          QString::fromLatin1(p.format),
                     QStringLiteral("-s"),          QStringLiteral("%1x%2").arg(p.width).arg(p.height),
                     QStringLiteral("-vcodec"),     QString::fromLatin1(p.videoCodec),
                     QStringLiteral("-vol"),        QStringLiteral("100"),
                     QStringLiteral("-deinterlace")};
    if (p.padLeftRight)
        args << QStringLiteral("-padleft") << QString::number(p.padLeftRight) << QStringLiteral("-padright")
             << QString::number(p.padLeftRight);
    if (p.padTopBottom)
        args << QStringLiteral("-padtop") << QString::number(p.padTopBottom) << QStringLiteral("-padbottom")
             << QString::number(p.padTopBottom);
    args << QStringLiteral("-r") << QString::fromLatin1(p.rate) << QStringLiteral("-b") << QStringLiteral("256k")
         << QStringLiteral("-acodec") << QString::fromLatin1(p.audioCodec) << QStringLiteral("-ab")
         << QStringLiteral("64k") << QStringLiteral("-ac") << QString::number(p.channels) << QStringLiteral("-ar")
         << QString::number(p.sampleRate) << QStringLiteral("-async") << QStringLiteral("100")
         << QStringLiteral("-title") << QStringLiteral("clip") << QStringLiteral("-bitexact") << QStringLiteral("-y")
         << output;
    return args;
}

struct Probed {
    TFileInfo info;
    QString inputLine;
};

Probed probe(const QString& path)
{
    TFileInfoParser parser(path, realProgramDir(), nullptr);
    Probed result;
    parser.Probe(result.info);
    result.inputLine = parser.Output.value(0);
    return result;
}

// The duration text to the hundredth, "hh:mm:ss.ff".
double seconds(const TFileInfo& info)
{
    const QStringList parts = info.Duration.split(QLatin1Char(':'));
    if (parts.size() != 3)
        return -1;
    return parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toDouble();
}

// A copy of an AVI file whose video frames hold noise: the file reads, no picture decodes.
QString withScrambledVideo(const QString& avi, const QString& copy)
{
    QFile file(avi);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    quint32 noise = 12345;
    for (qsizetype at = bytes.indexOf("movi") + 4; at + 8 <= bytes.size();) {
        const QByteArray tag = bytes.mid(at, 4);
        const qsizetype size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (tag == "idx1" || at + 8 + size > bytes.size())
            break;
        if (tag.endsWith("dc")) {
            for (qsizetype i = at + 8; i < at + 8 + size; ++i) {
                noise = noise * 1103515245u + 12345u;
                bytes[i] = static_cast<char>(noise >> 24);
            }
        }
        at += 8 + size + (size & 1);
    }
    return writeFile(copy, bytes);
}

// Runs the encoder under a resource limit of the shell's "ulimit".
ProgramRun runLimited(const QString& limit, const QStringList& args)
{
    return runProgram(
        QStringLiteral("/bin/sh"),
        QStringList{QStringLiteral("-c"), QStringLiteral("ulimit %1 && exec \"$0\" \"$@\"").arg(limit), realEncoder()}
            + args);
}

// Corpus files with a picture that decode cleanly.
const char* const kSources[] = {
    "bbb_176x144_128kbps_15fps_h263.3gp",
    "bbb_2500ms.ts",
    "bbb_960x540_60fps_vp8.webm",
    "bear-320x240-multitrack.webm",
    "bear-vp9-odd-dimensions.webm",
    "bear.ogv",
    "blank_video.m4v",
    "cursed-vfr.mp4",
    "dolbyVision-hdr.MOV",
    "fixture-raw.mts",
    "fixture.3gp",
    "fixture.asf",
    "fixture.ps.mpg",
    "portrait_4k60.mp4",
    "sample.avi",
    "sample.flv",
    "sample.mkv",
    "sample.mp4",
    "sample_h262_mpeg_audio.ps",
    "sintel-1024x436.mp4",
    "sowt-with-video.mov",
};

class ConvertEveryProfile : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(ConvertEveryProfile, OutputProbesAsTheProfileAsks)
{
    const QString source = corpusFile(QString::fromLatin1(GetParam()));
    const Probed original = probe(source);
    ASSERT_FALSE(IsUnsupported(original.info));
    const bool hasAudio = !original.info.AudioCodec.isEmpty();
    QTemporaryDir dir;
    for (const Profile& p : kProfiles) {
        SCOPED_TRACE(std::string(p.format) + " " + p.videoCodec + " " + p.audioCodec);
        const QString output = dir.path() + QStringLiteral("/out.") + QString::fromLatin1(p.format);
        const ProgramRun run = runProgram(realEncoder(), conversionArgs(source, p, output));
        ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
        if (!hasAudio && std::string(p.format) == "psp") {
            // Handheld consoles need a sound track: a silent one as long as the picture.
            const MediaFacts facts = readMediaFacts(output.toStdString());
            ASSERT_TRUE(facts.audio.present);
            EXPECT_EQ(facts.audio.codec, "aac");
            EXPECT_EQ(facts.audio.sampleRate, p.sampleRate);
            EXPECT_EQ(facts.audio.channels, p.channels);
            EXPECT_NEAR(facts.audio.startSeconds, facts.video.startSeconds, 0.05);
            EXPECT_NEAR(facts.audio.endSeconds, facts.video.endSeconds, 0.05);
            EXPECT_LT(audioRmsLevel(output.toStdString()), 1e-4);
            continue;
        }
        const Probed out = probe(output);
        EXPECT_TRUE(out.inputLine.startsWith(QStringLiteral("Input #0, ") + QLatin1String(p.container)))
            << out.inputLine.toStdString();
        EXPECT_EQ(out.info.VideoCodec, QLatin1String(p.videoName));
        EXPECT_EQ(out.info.Resolution,
                  QStringLiteral("%1x%2").arg(p.width + 2 * p.padLeftRight).arg(p.height + 2 * p.padTopBottom));
        const double rate = QString::fromLatin1(p.rate).toDouble();
        EXPECT_NEAR(out.info.FrameRate, rate > 0 ? rate : original.info.FrameRate, 0.02);
        // Audio frame granularity and encoder priming (which AVI and ASF cannot hide with an edit
        // list, so every stream starts later) add up to about 0.2 s whatever the clip's length.
        const double sourceSeconds = seconds(original.info);
        EXPECT_NEAR(seconds(out.info), sourceSeconds, std::max(0.02 * sourceSeconds, 0.2));
        if (hasAudio) {
            EXPECT_EQ(out.info.AudioCodec, QLatin1String(p.audioName));
            if (p.sampleRate > 0) {
                EXPECT_EQ(out.info.SamplingRate, p.sampleRate);
            }
            const int channels = p.channels > 0
                ? p.channels
                : std::clamp<int>(original.info.Channels ? original.info.Channels : 2, 1, 2);
            EXPECT_EQ(out.info.Channels, channels);
        } else {
            EXPECT_TRUE(out.info.AudioCodec.isEmpty());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, ConvertEveryProfile, ::testing::ValuesIn(kSources),
                         [](const ::testing::TestParamInfo<const char*>& param) {
                             std::string name;
                             for (const char* c = param.param; *c; ++c)
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             return name;
                         });

TEST(EncoderConvert, VolumeRotationTitleAndTimeStamp)
{
    QTemporaryDir dir;
    const Profile& mp4 = kProfiles[0];
    const QString full = dir.path() + QStringLiteral("/full.mp4");
    const QString half = dir.path() + QStringLiteral("/half.mp4");
    QStringList args = conversionArgs(corpusFile(QStringLiteral("sample.avi")), mp4, full);
    ASSERT_EQ(runProgram(realEncoder(), args).exitCode, 0);
    args[args.indexOf(QStringLiteral("-vol")) + 1] = QStringLiteral("50");
    args.last() = half;
    ASSERT_EQ(runProgram(realEncoder(), args).exitCode, 0);
    const double fullLevel = audioRmsLevel(full.toStdString());
    ASSERT_GT(fullLevel, 0.01);
    EXPECT_NEAR(audioRmsLevel(half.toStdString()) / fullLevel, 0.5, 0.03);

    // A phone clip recorded turned by a quarter comes out upright, with nothing left to turn.
    const QString upright = dir.path() + QStringLiteral("/upright.mp4");
    Profile portrait = mp4;
    portrait.width = 180;
    portrait.height = 320;
    portrait.padTopBottom = 0;
    args = conversionArgs(corpusFile(QStringLiteral("dolbyVision-hdr.MOV")), portrait, upright);
    args.insert(args.size() - 2, QStringLiteral("-timestamp"));
    args.insert(args.size() - 2, QStringLiteral("2009-06-15 14:30:00"));
    ASSERT_EQ(runProgram(realEncoder(), args).exitCode, 0);
    EXPECT_FALSE(videoHasRotation(upright.toStdString()));
    EXPECT_EQ(probe(upright).info.Resolution, QStringLiteral("180x320"));

    const auto tags = containerTags(upright.toStdString());
    EXPECT_EQ(tags.count("title") ? tags.at("title") : "", "clip");
    // The time stamp is local time; the container keeps it in UTC.
    std::tm local{};
    local.tm_year = 2009 - 1900;
    local.tm_mon = 5;
    local.tm_mday = 15;
    local.tm_hour = 14;
    local.tm_min = 30;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char expected[32];
    std::strftime(expected, sizeof expected, "%Y-%m-%dT%H:%M:%S", &utc);
    ASSERT_TRUE(tags.count("creation_time"));
    EXPECT_EQ(tags.at("creation_time").substr(0, 19), expected);
}

TEST(EncoderConvert, BitexactOutputIsReproducible)
{
    // Long enough for x264's rate control to run on several threads at once.
    QTemporaryDir dir;
    for (const Profile& profile : {kProfiles[0], kProfiles[9]}) {
        SCOPED_TRACE(profile.videoCodec);
        QByteArray digests[2];
        for (QByteArray& digest : digests) {
            const QString out = dir.path() + QStringLiteral("/same.") + QLatin1String(profile.format);
            ASSERT_EQ(runProgram(realEncoder(),
                                 conversionArgs(corpusFile(QStringLiteral("sintel-1024x436.mp4")), profile, out))
                          .exitCode,
                      0);
            QFile file(out);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
        }
        EXPECT_EQ(digests[0], digests[1]);
    }
}

TEST(EncoderConvert, BadJobsFailCleanlyAndLeaveNothingBehind)
{
    QTemporaryDir dir;
    QFile sample(corpusFile(QStringLiteral("sample.mp4")));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QString truncated = writeFile(dir.path() + QStringLiteral("/head.mp4"), sample.read(1000));
    const QString goodSource = corpusFile(QStringLiteral("sample.avi"));
    QTemporaryDir inputs;
    const QString pipe = inputs.path() + QStringLiteral("/pipe.avi");
    ASSERT_EQ(mkfifo(pipe.toLocal8Bit().constData(), 0600), 0); // opening it would block for ever
    const QString undecodable = withScrambledVideo(goodSource, inputs.path() + QStringLiteral("/scrambled.avi"));
    struct Case {
        const char* what;
        QString source;
        Profile profile;
        QString output;
    };
    Profile unknownCodec = kProfiles[0];
    unknownCodec.videoCodec = "nosuchcodec";
    Profile badH263Size = kProfiles[2];
    badH263Size.width = 320;
    badH263Size.height = 240;
    Profile wrongPair = kProfiles[2];
    wrongPair.audioCodec = "wmav2";
    Profile flvRate = kProfiles[8];
    flvRate.sampleRate = 8000;
    Profile hugeBorders = kProfiles[0];
    hugeBorders.padLeftRight = 2147483647;
    Profile hugeSize = kProfiles[0];
    hugeSize.width = 100000;
    const QString out = dir.path() + QStringLiteral("/out.mp4");
    const Case cases[] = {
        {"missing source", dir.path() + QStringLiteral("/missing.avi"), kProfiles[0], out},
        {"truncated source", truncated, kProfiles[0], out},
        {"audio-only source", corpusFile(QStringLiteral("no-tags.3g2")), kProfiles[0], out},
        {"unknown codec", goodSource, unknownCodec, out},
        {"size h263 cannot take", goodSource, badH263Size, dir.path() + QStringLiteral("/out.3gp")},
        {"codec the format cannot hold", goodSource, wrongPair, dir.path() + QStringLiteral("/out.3gp")},
        {"rate the format cannot hold", goodSource, flvRate, dir.path() + QStringLiteral("/out.flv")},
        {"unwritable folder", goodSource, kProfiles[0], dir.path() + QStringLiteral("/no/such/folder/out.mp4")},
        {"a pipe for a source", pipe, kProfiles[0], out},
        {"a folder for a source", inputs.path(), kProfiles[0], out},
        {"no picture decodes", undecodable, kProfiles[0], out},
        {"borders past any screen", goodSource, hugeBorders, out},
        {"a size past any screen", goodSource, hugeSize, out},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ProgramRun run = runProgram(realEncoder(), conversionArgs(c.source, c.profile, c.output));
        EXPECT_NE(run.exitCode, 0);
        EXPECT_FALSE(run.lastErrorLine().isEmpty()) << run.errorText.toStdString();
        EXPECT_FALSE(QFile::exists(c.output));
    }
    // Nor any temporary file, hidden or not.
    // A picture that never decodes is reported with the decoder's reason.
    EXPECT_TRUE(
        runProgram(realEncoder(), conversionArgs(undecodable, kProfiles[0], out))
            .lastErrorLine()
            .startsWith(QStringLiteral("Error[source-undecodable]: no picture of the source could be decoded: ")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("head.mp4")});

    // Unknown options and missing values are refused before anything else.
    for (const QStringList& args : {QStringList{QStringLiteral("-i"), goodSource, QStringLiteral("-loop"), out},
                                    QStringList{QStringLiteral("-i"), goodSource, QStringLiteral("-s")}}) {
        const ProgramRun run = runProgram(realEncoder(), args);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.lastErrorLine().startsWith(QStringLiteral("Error[usage]: ")));
    }
}

TEST(EncoderConvert, NeverTouchesTheSource)
{
    QTemporaryDir dir;
    const QString source = dir.path() + QStringLiteral("/clip.avi");
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.avi")), source));
    const QByteArray before = [&] {
        QFile f(source);
        f.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }();
    auto sourceIntact = [&] {
        QFile f(source);
        return f.open(QIODevice::ReadOnly)
            && QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256) == before;
    };

    // The output may not be the source itself, even under another spelling of its path.
    const ProgramRun same =
        runProgram(realEncoder(), conversionArgs(source, kProfiles[5], dir.path() + QStringLiteral("/./clip.avi")));
    EXPECT_NE(same.exitCode, 0);
    EXPECT_TRUE(sourceIntact());

    // An existing output without -y stays as it was.
    const QString existing = writeFile(dir.path() + QStringLiteral("/exists.mp4"), "keep me");
    QStringList args = conversionArgs(source, kProfiles[0], existing);
    args.removeAll(QStringLiteral("-y"));
    EXPECT_NE(runProgram(realEncoder(), args).exitCode, 0);
    QFile kept(existing);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));

    // Stopped mid-run: the output is written under a temporary name, so whatever stops the run,
    // the output that was there before stays as it was and the source stays too.
    for (int signal : {SIGTERM, SIGKILL}) {
        SCOPED_TRACE(signal);
        const QString output = writeFile(dir.path() + QStringLiteral("/stopped.mov"), "older output");
        TChildProcess child;
        ASSERT_TRUE(child.Start(realEncoder(),
                                conversionArgs(corpusFile(QStringLiteral("portrait_4k60.mp4")), kProfiles[9], output),
                                TChildProcess::Stream::StdErr));
        // Under way: a status line comes only once the output has been begun.
        QByteArray text;
        char piece[256];
        size_t got = 0;
        do {
            ASSERT_EQ(child.Read(piece, sizeof piece, 20000, got), TChildProcess::ReadStatus::Data);
            text.append(piece, static_cast<qsizetype>(got));
        } while (!text.contains("frame="));
        if (signal == SIGTERM)
            child.Terminate();
        else
            child.Kill();
        EXPECT_NE(child.Wait(), 0);
        // Stopped, the run removes its temporary file. Killed, a nameless one vanished with it;
        // a named one (where the file system has no nameless files) the converter removes.
        if (signal == SIGKILL)
            RemoveEncoderLeftovers(output, child.Pid());
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
            (QStringList{QStringLiteral("clip.avi"), QStringLiteral("exists.mp4"), QStringLiteral("stopped.mov")}));
        QFile older(output);
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), QByteArray("older output"));
        EXPECT_TRUE(sourceIntact());
    }
}

TEST(EncoderConvert, DamagedSourceKeepsWhatCouldBeDecodedAndSaysSo)
{
    QTemporaryDir dir;
    // A web video cut short without a trace in its header: 0.6 s of its declared 1.0 s are there.
    QFile web(corpusFile(QStringLiteral("bbb_960x540_60fps_vp8.webm")));
    ASSERT_TRUE(web.open(QIODevice::ReadOnly));
    const QByteArray whole = web.readAll();
    const QString cut = writeFile(dir.path() + QStringLiteral("/cut.webm"), whole.left(whole.size() * 59 / 100));
    for (const QString& source : {corpusFile(QStringLiteral("fixture2.mkv")),
                                  corpusFile(QStringLiteral("bear-1280x720_trunc-half.mp4")), cut}) {
        SCOPED_TRACE(source.toStdString());
        const QString output = dir.path() + QStringLiteral("/damaged.mp4");
        const ProgramRun run = runProgram(realEncoder(), conversionArgs(source, kProfiles[1], output));
        EXPECT_EQ(run.exitCode, 3);
        EXPECT_TRUE(run.lastErrorLine().contains(QStringLiteral("damaged")));
        const Probed out = probe(output);
        EXPECT_FALSE(IsUnsupported(out.info));
        EXPECT_GT(seconds(out.info), 0.5);
    }
}

TEST(EncoderDecoders, WhatPhonesCamerasAndTheWebWriteDecodes)
{
    // The codecs of today's phone, camera, screen-recorder and downloaded files; AV1 in software.
    const AVCodecID codecs[] = {
        AV_CODEC_ID_H264, AV_CODEC_ID_HEVC,       AV_CODEC_ID_AV1,       AV_CODEC_ID_VP9,
        AV_CODEC_ID_VP8,  AV_CODEC_ID_MPEG2VIDEO, AV_CODEC_ID_MJPEG,     AV_CODEC_ID_PRORES,
        AV_CODEC_ID_AAC,  AV_CODEC_ID_OPUS,       AV_CODEC_ID_AC3,       AV_CODEC_ID_EAC3,
        AV_CODEC_ID_FLAC, AV_CODEC_ID_PCM_S16LE,  AV_CODEC_ID_PCM_S24LE, AV_CODEC_ID_MP3,
    };
    for (const AVCodecID id : codecs) {
        const AVCodec* decoder = enc::findSoftwareDecoder(id);
        ASSERT_NE(decoder, nullptr) << avcodec_get_name(id);
        EXPECT_STRNE(decoder->name, "av1"); // FFmpeg's own AV1 decoder needs hardware
    }
}

TEST(EncoderConvert, TimeJumpInTheSourceIsClosedNotFilled)
{
    // A clip whose time stamps jump ten hours half way: only the real six seconds are converted,
    // with sound and picture together, and the run says the source is damaged.
    QTemporaryDir dir;
    const QString jumped = dir.path() + QStringLiteral("/jumped.mp4");
    ASSERT_TRUE(remuxWithTimeJump(corpusFile(QStringLiteral("sintel-1024x436.mp4")).toStdString(), jumped.toStdString(),
                                  3.0, 36000.0));
    const MediaFacts source = readMediaFacts(jumped.toStdString());
    ASSERT_GT(source.video.endSeconds, 36000);
    const QString output = dir.path() + QStringLiteral("/out.mp4");
    // Filling the gap would take far longer than this much processor time.
    const ProgramRun run = runLimited(QStringLiteral("-t 120"), conversionArgs(jumped, kProfiles[1], output));
    EXPECT_EQ(run.exitCode, 3) << run.lastErrorLine().toStdString();
    EXPECT_TRUE(run.lastErrorLine().contains(QStringLiteral("damaged")));
    const MediaFacts out = readMediaFacts(output.toStdString());
    EXPECT_NEAR(out.video.endSeconds - out.video.startSeconds, 6.0, 0.2);
    EXPECT_NEAR(out.audio.endSeconds, out.video.endSeconds, 0.1);
    // 256 kbit/s of picture and 64 of sound for six seconds, with room for headers.
    EXPECT_LT(QFileInfo(output).size(), 2 * (256 + 64) * 1000 / 8 * 6);
}

TEST(EncoderConvert, HdrAndAv1SourcesComeOutAsMarkedSdrOfNaturalColour)
{
    // HLG HEVC, PQ AV1 and a Dolby Vision phone clip, for a phone's HD screen and a handheld's SD
    // one: each is tone-mapped to what a plain full-size tone mapping of the same picture shows.
    struct Target {
        const char* format;
        const char* size;
        int matrix; // what the output must say it was converted with
    };
    const Target targets[] = {{"mp4", "1280x720", AVCOL_SPC_BT709}, {"psp", "480x272", AVCOL_SPC_SMPTE170M}};
    const char* const sources[] = {"sample_with_color_info.mp4", "sample_with_it35_track.mp4", "dolbyVision-hdr.MOV"};
    QTemporaryDir dir;
    for (const char* name : sources) {
        const QString source = corpusFile(QString::fromLatin1(name));
        const PictureColour reference = middlePictureToneMapped(source.toStdString());
        ASSERT_TRUE(reference.valid) << name;
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(name) + " to " + t.format);
            const QString output = dir.path() + QStringLiteral("/out.mp4");
            const ProgramRun run = runProgram(
                realEncoder(),
                {QStringLiteral("-i"), source, QStringLiteral("-f"), QString::fromLatin1(t.format),
                 QStringLiteral("-s"), QString::fromLatin1(t.size), QStringLiteral("-vcodec"),
                 QStringLiteral("libx264"), QStringLiteral("-b"), QStringLiteral("1500k"), QStringLiteral("-acodec"),
                 QStringLiteral("aac"), QStringLiteral("-ar"), QStringLiteral("48000"), QStringLiteral("-y"), output});
            ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
            const ColourMarks marks = videoColourMarks(output.toStdString());
            EXPECT_EQ(marks.primaries, AVCOL_PRI_BT709);
            EXPECT_EQ(marks.transfer, AVCOL_TRC_BT709);
            EXPECT_EQ(marks.matrix, t.matrix);
            EXPECT_EQ(marks.range, AVCOL_RANGE_MPEG);
            const PictureColour shown = middlePictureColour(output.toStdString());
            ASSERT_TRUE(shown.valid);
            EXPECT_NEAR(shown.saturation, reference.saturation, 0.2 * reference.saturation);
            EXPECT_NEAR(shown.lightness, reference.lightness, 0.1);
        }
    }
}

TEST(EncoderConvert, StatusLinesHaveTheShapeTheConverterReads)
{
    QTemporaryDir dir;
    const ProgramRun run = runProgram(realEncoder(),
                                      conversionArgs(corpusFile(QStringLiteral("sintel-1024x436.mp4")), kProfiles[1],
                                                     dir.path() + QStringLiteral("/s.mp4")));
    ASSERT_EQ(run.exitCode, 0);
    const QRegularExpression shape(QStringLiteral(
        "^frame= *\\d+ fps= *\\d+ q=-?\\d+\\.\\d size= *\\d+kB time=\\d+\\.\\d bitrate= *\\d+\\.\\dkbits/s$"));
    const QList<QByteArray> lines = run.errorText.split('\r');
    int statusLines = 0;
    for (const QByteArray& raw : lines) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        ++statusLines;
        EXPECT_LT(raw.size() + 1, 256);
        EXPECT_TRUE(shape.match(QString::fromLatin1(line)).hasMatch()) << line.toStdString();
    }
    EXPECT_GE(statusLines, 2);
    // The last line says the whole running time was written.
    const QString last = QString::fromLatin1(lines.value(lines.size() - 2).trimmed());
    EXPECT_TRUE(last.contains(QStringLiteral("time=6.0 "))) << last.toStdString();
}

TEST(EncoderConvert, FittedPictureShortOfAnH263SizeFillsIt)
{
    // A 960x400 source fitted to a 176x144 screen comes out 176x74 with 34-row borders: 142 rows.
    QTemporaryDir dir;
    Profile fitted = kProfiles[2];
    fitted.height = 74;
    fitted.padTopBottom = 34;
    const QString output = dir.path() + QStringLiteral("/fitted.3gp");
    const ProgramRun run =
        runProgram(realEncoder(), conversionArgs(corpusFile(QStringLiteral("sample.avi")), fitted, output));
    ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
    EXPECT_EQ(probe(output).info.Resolution, QStringLiteral("176x144"));
}

TEST(EncoderConvert, TurnedSourceComesOutUprightAtItsOwnSize)
{
    // No -s: the picture keeps the source's size, which for a clip recorded turned is its upright size.
    QTemporaryDir dir;
    Profile own = kProfiles[0];
    own.padTopBottom = 0;
    const QString output = dir.path() + QStringLiteral("/upright.mp4");
    QStringList args = conversionArgs(corpusFile(QStringLiteral("dolbyVision-hdr.MOV")), own, output);
    args.remove(args.indexOf(QStringLiteral("-s")), 2);
    const ProgramRun run = runProgram(realEncoder(), args);
    ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
    EXPECT_EQ(probe(output).info.Resolution, QStringLiteral("720x1280"));
    EXPECT_FALSE(videoHasRotation(output.toStdString()));
}

TEST(EncoderConvert, BordersGoOnTheSidesAsked)
{
    // A white 96x64 picture with a different border on each side; every edge on an 8-pixel block line.
    QTemporaryDir dir;
    const int width = 96, height = 64;
    QByteArray y4m = "YUV4MPEG2 W96 H64 F25:1 Ip A1:1 C420jpeg\n";
    for (int frame = 0; frame < 10; ++frame) {
        y4m += "FRAME\n";
        y4m += QByteArray(width * height, char(235));
        y4m += QByteArray(width * height / 2, char(128));
    }
    const QString source = writeFile(dir.path() + QStringLiteral("/white.y4m"), y4m);
    Profile plain = kProfiles[0];
    plain.width = width;
    plain.height = height;
    plain.padTopBottom = 0;
    const QString output = dir.path() + QStringLiteral("/bordered.mp4");
    QStringList args = conversionArgs(source, plain, output);
    const TextList pads{"-padleft", "8", "-padright", "24", "-padtop", "16", "-padbottom", "8"};
    const qsizetype at = args.indexOf(QStringLiteral("-deinterlace")) + 1;
    args = args.mid(0, at) + pads + args.mid(at);
    const ProgramRun run = runProgram(realEncoder(), args);
    ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
    const BrightBox box = firstPictureBrightBox(output.toStdString());
    ASSERT_TRUE(box.valid);
    EXPECT_EQ(box.frameWidth, 8 + width + 24);
    EXPECT_EQ(box.frameHeight, 16 + height + 8);
    EXPECT_EQ(box.left, 8);
    EXPECT_EQ(box.right, 8 + width);
    EXPECT_EQ(box.top, 16);
    EXPECT_EQ(box.bottom, 16 + height);
}

TEST(EncoderConvert, StreamsThatChangeHalfWayConvertWholeAndInStep)
{
    // Recordings joined from two pieces: the second half changes frame size, aspect or sound
    // format, with continuous time stamps, as broadcast and camera transport streams do.
    struct Half {
        const char* size;
        const char* sampleRate;
        const char* channels;
    };
    struct Case {
        const char* what;
        Half first, second;
    };
    const Case cases[] = {
        {"frame size", {"320x240", "48000", "2"}, {"176x144", "48000", "2"}},
        {"aspect", {"640x480", "48000", "2"}, {"640x360", "48000", "2"}},
        {"sound format", {"320x240", "48000", "2"}, {"320x240", "44100", "1"}},
        {"size and channels", {"320x240", "48000", "2"}, {"176x144", "48000", "1"}},
    };
    struct Target {
        const char* format;
        const char* videoCodec;
        const char* audioCodec;
    };
    const Target targets[] = {{"mp4", "mpeg4", "aac"}, {"mp4", "libx264", "aac"}, {"avi", "libxvid", "libmp3lame"}};
    QTemporaryDir dir;
    auto makeHalf = [&](const Half& half, const QString& path) {
        return runProgram(realEncoder(), {QStringLiteral("-i"),      corpusFile(QStringLiteral("sintel-1024x436.mp4")),
                                          QStringLiteral("-f"),      QStringLiteral("mpegts"),
                                          QStringLiteral("-s"),      QString::fromLatin1(half.size),
                                          QStringLiteral("-vcodec"), QStringLiteral("mpeg2video"),
                                          QStringLiteral("-r"),      QStringLiteral("25"),
                                          QStringLiteral("-b"),      QStringLiteral("1500k"),
                                          QStringLiteral("-acodec"), QStringLiteral("mp2"),
                                          QStringLiteral("-ab"),     QStringLiteral("128k"),
                                          QStringLiteral("-ar"),     QString::fromLatin1(half.sampleRate),
                                          QStringLiteral("-ac"),     QString::fromLatin1(half.channels),
                                          QStringLiteral("-y"),      path})
            .exitCode;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString first = dir.path() + QStringLiteral("/first.ts");
        const QString second = dir.path() + QStringLiteral("/second.ts");
        const QString joined = dir.path() + QStringLiteral("/joined.ts");
        ASSERT_EQ(makeHalf(c.first, first), 0);
        ASSERT_EQ(makeHalf(c.second, second), 0);
        ASSERT_TRUE(joinTransportStreams(first.toStdString(), second.toStdString(), joined.toStdString()));
        const MediaFacts source = readMediaFacts(joined.toStdString());
        const double sourceSeconds = source.video.endSeconds - source.video.startSeconds;
        ASSERT_GT(sourceSeconds, 11.5);
        for (const Target& t : targets) {
            SCOPED_TRACE(std::string(t.format) + " " + t.videoCodec);
            const QString output = dir.path() + QStringLiteral("/out.") + QString::fromLatin1(t.format);
            const ProgramRun run =
                runProgram(realEncoder(), {QStringLiteral("-i"),      joined,
                                           QStringLiteral("-f"),      QString::fromLatin1(t.format),
                                           QStringLiteral("-s"),      QStringLiteral("320x240"),
                                           QStringLiteral("-vcodec"), QString::fromLatin1(t.videoCodec),
                                           QStringLiteral("-r"),      QStringLiteral("25"),
                                           QStringLiteral("-b"),      QStringLiteral("400k"),
                                           QStringLiteral("-acodec"), QString::fromLatin1(t.audioCodec),
                                           QStringLiteral("-ab"),     QStringLiteral("96k"),
                                           QStringLiteral("-ac"),     QStringLiteral("2"),
                                           QStringLiteral("-ar"),     QStringLiteral("44100"),
                                           QStringLiteral("-async"),  QStringLiteral("100"),
                                           QStringLiteral("-y"),      output});
            ASSERT_EQ(run.exitCode, 0) << run.lastErrorLine().toStdString();
            const MediaFacts out = readMediaFacts(output.toStdString());
            EXPECT_EQ(out.video.width, 320);
            EXPECT_EQ(out.video.height, 240);
            EXPECT_EQ(out.audio.sampleRate, 44100);
            EXPECT_EQ(out.audio.channels, 2);
            const double videoSeconds = out.video.endSeconds - out.video.startSeconds;
            EXPECT_NEAR(videoSeconds, sourceSeconds, 0.1);
            EXPECT_NEAR(out.audio.startSeconds, out.video.startSeconds, 0.05);
            EXPECT_NEAR(out.audio.endSeconds, out.video.endSeconds, 0.05);
            // One continuous run of pictures: no stretch of time written twice or skipped.
            EXPECT_NEAR(static_cast<double>(out.video.packets.size()), videoSeconds * 25, 2);
        }
    }
}

TEST(EncoderConvert, FailuresMidRunLeaveTheOlderOutputWhole)
{
    QTemporaryDir dir;
    const QString source = corpusFile(QStringLiteral("sintel-1024x436.mp4"));
    const QString output = dir.path() + QStringLiteral("/clip.mp4");
    struct Case {
        const char* what;
        const char* limit;     // for ulimit
        const char* errorText; // what the error line says
    };
    // A full disk (a file size limit stands in) and memory that runs out.
    for (const Case& c : {Case{"disk full", "-f 100", "File too large"}, Case{"out of memory", "-v 300000", ""}}) {
        SCOPED_TRACE(c.what);
#ifdef KOVIRTA_SANITIZE
        // AddressSanitizer reserves far more address space than any such limit before main() runs,
        // so a sanitized encoder cannot be given a virtual-memory limit.
        if (QByteArray(c.limit).startsWith("-v"))
            continue;
#endif
        writeFile(output, "older output");
        const ProgramRun run = runLimited(QString::fromLatin1(c.limit), conversionArgs(source, kProfiles[1], output));
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.lastErrorLine().startsWith(QStringLiteral("Error["))) << run.errorText.toStdString();
        EXPECT_TRUE(run.lastErrorLine().contains(QLatin1String(c.errorText))) << run.lastErrorLine().toStdString();
        QFile older(output);
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), QByteArray("older output"));
        EXPECT_EQ(QDir(QFileInfo(output).path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".part")),
                  QStringList());
    }

    // The output folder removed while the conversion writes into it.
    const QString folder = dir.path() + QStringLiteral("/gone");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString lost = folder + QStringLiteral("/clip.mov");
    TChildProcess child;
    ASSERT_TRUE(child.Start(realEncoder(),
                            conversionArgs(corpusFile(QStringLiteral("portrait_4k60.mp4")), kProfiles[9], lost),
                            TChildProcess::Stream::StdErr));
    QByteArray text;
    char piece[256];
    size_t got = 0;
    while (!text.contains("frame=")) {
        ASSERT_EQ(child.Read(piece, sizeof piece, 20000, got), TChildProcess::ReadStatus::Data);
        text.append(piece, static_cast<qsizetype>(got));
    }
    ASSERT_TRUE(QDir(folder).removeRecursively());
    while (child.Read(piece, sizeof piece, 20000, got) == TChildProcess::ReadStatus::Data)
        text.append(piece, static_cast<qsizetype>(got));
    EXPECT_NE(child.Wait(), 0);
    EXPECT_TRUE(text.contains("\nError[")) << text.toStdString();
}

// Whatever lies in the output's folder, the run writes only a file of its own and gives it the
// output's name when whole; nothing else there is opened, followed, truncated or left behind.
TEST(EncoderConvert, TemporaryOutputBelongsToTheRun)
{
    struct Case {
        const char* what;
        // Prepares the folder and returns the source and output; `keep` gets files that must stay as they were.
        std::function<std::pair<QString, QString>(const QString& folder, QStringList& keep)> setUp;
        const char* refusal; // the code of the error line, or none when the run converts
    };
    const auto copySample = [](const QString& folder, const QString& name) {
        return copyOfCorpusFile(QStringLiteral("sample.avi"), folder, name);
    };
    const Case cases[] = {
        {"a link planted under the old temporary name",
         [&](const QString& folder, QStringList& keep) {
             keep << writeFile(folder + QStringLiteral("/victim.txt"), "the user's text");
             QDir().mkpath(folder + QStringLiteral("/out"));
             QFile::link(QStringLiteral("../victim.txt"), folder + QStringLiteral("/out/clip.mp4.part"));
             return std::pair<QString, QString>{copySample(folder, QStringLiteral("clip.avi")),
                                                folder + QStringLiteral("/out/clip.mp4")};
         },
         nullptr},
        {"a partial download beside the source",
         [&](const QString& folder, QStringList& keep) {
             keep << writeFile(folder + QStringLiteral("/v.mp4.part"), "half a download");
             return std::pair<QString, QString>{copySample(folder, QStringLiteral("v.avi")),
                                                folder + QStringLiteral("/v.mp4")};
         },
         nullptr},
        {"the source is the old temporary name of its output",
         [&](const QString& folder, QStringList& keep) {
             keep << copySample(folder, QStringLiteral("v.mp4.part"));
             return std::pair<QString, QString>{keep.back(), folder + QStringLiteral("/v.mp4")};
         },
         nullptr},
        {"the output is a link to the source",
         [&](const QString& folder, QStringList& keep) {
             keep << copySample(folder, QStringLiteral("clip.avi"));
             QFile::link(keep.back(), folder + QStringLiteral("/clip.mp4"));
             return std::pair<QString, QString>{keep.back(), folder + QStringLiteral("/clip.mp4")};
         },
         "output-is-source"},
        {"a folder with the output's name",
         [&](const QString& folder, QStringList& keep) {
             QDir().mkpath(folder + QStringLiteral("/a.mp4"));
             keep << writeFile(folder + QStringLiteral("/a.mp4/inside.txt"), "kept");
             return std::pair<QString, QString>{copySample(folder, QStringLiteral("a.avi")),
                                                folder + QStringLiteral("/a.mp4")};
         },
         "output-is-folder"},
        {"a name of 255 bytes",
         [&](const QString& folder, QStringList&) {
             const QString base(251, QLatin1Char('n'));
             return std::pair<QString, QString>{copySample(folder, base + QStringLiteral(".avi")),
                                                folder + QLatin1Char('/') + base + QStringLiteral(".mp4")};
         },
         nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        QStringList keep;
        const auto [source, output] = c.setUp(dir.path(), keep);
        QHash<QString, QByteArray> before;
        for (const QString& path : keep)
            before[path] = readFile(path);
        const QStringList entriesBefore = QDir(QFileInfo(output).path()).entryList(QDir::AllEntries | QDir::Hidden);
        const ProgramRun run = runProgram(realEncoder(), conversionArgs(source, kProfiles[0], output));
        for (const QString& path : keep)
            EXPECT_EQ(readFile(path), before[path]) << path.toStdString();
        QStringList entriesAfter = QDir(QFileInfo(output).path()).entryList(QDir::AllEntries | QDir::Hidden);
        if (!c.refusal) {
            EXPECT_EQ(run.exitCode, 0) << run.errorText.toStdString();
            const QFileInfo written(output);
            EXPECT_TRUE(written.isFile() && !written.isSymLink());
            EXPECT_EQ(probe(output).info.VideoCodec, QStringLiteral("mpeg4"));
            entriesAfter.removeAll(QFileInfo(output).fileName());
        } else {
            EXPECT_NE(run.exitCode, 0);
            EXPECT_TRUE(run.lastErrorLine().startsWith(QStringLiteral("Error[%1]: ").arg(QLatin1String(c.refusal))))
                << run.lastErrorLine().toStdString();
        }
        // Nothing but the output was added, nor taken away.
        QStringList expected = entriesBefore;
        if (!c.refusal)
            expected.removeAll(QFileInfo(output).fileName());
        EXPECT_EQ(entriesAfter, expected);
    }
}

// Two runs writing one output at once: each writes its own file, so the output is always one
// whole conversion and each run that says it succeeded did.
TEST(EncoderConvert, TwoWritersOfOneOutputNeverMix)
{
    QTemporaryDir dir;
    const QString source = copyOfCorpusFile(QStringLiteral("sample.avi"), dir.path(), QStringLiteral("clip.avi"));
    const QString output = dir.path() + QStringLiteral("/clip.mp4");
    TChildProcess first, second;
    ASSERT_TRUE(
        first.Start(realEncoder(), conversionArgs(source, kProfiles[0], output), TChildProcess::Stream::StdErr));
    ASSERT_TRUE(
        second.Start(realEncoder(), conversionArgs(source, kProfiles[1], output), TChildProcess::Stream::StdErr));
    for (TChildProcess* child : {&first, &second}) {
        char piece[256];
        size_t got = 0;
        while (child->Read(piece, sizeof piece, 60000, got) == TChildProcess::ReadStatus::Data) {
        }
    }
    EXPECT_EQ(first.Wait(), 0);
    EXPECT_EQ(second.Wait(), 0);
    const Probed written = probe(output);
    EXPECT_TRUE(written.info.VideoCodec == QStringLiteral("mpeg4")
                || written.info.VideoCodec == QStringLiteral("h264"));
    EXPECT_NEAR(seconds(written.info), seconds(probe(source).info), 0.2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("clip.avi"), QStringLiteral("clip.mp4")}));
}
