// The real encoder probes every corpus file, and the parser's record matches the manifest.
#include "core/media/duration_parser.h"
#include "core/media/file_info.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ManifestRow {
    QString file;
    QString videoCodec; // "-" for none
    QString size;       // "WxH" coded size, "-" for none
    QString fps;
    QStringList audioCodecs;
    QString sampleRate;
    QString channels;
    QString duration; // seconds, or "N/A"
    QString notes;
};

QList<ManifestRow> readManifest()
{
    QFile file(corpusFile(QStringLiteral("MANIFEST.tsv")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<ManifestRow> rows;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines.mid(1)) {
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 13)
            continue;
        rows.append({f[0], f[5].section(QLatin1Char(' '), 0, 0), f[6], f[7], f[8].split(QLatin1Char(',')), f[9], f[10],
                     f[11], f[12]});
    }
    return rows;
}

// The frame rate a player shows: the first figure, unless it is a time-base artefact (1000),
// in which case the "r=" figure.
double expectedFps(const QString& text)
{
    const double first = text.section(QLatin1Char(' '), 0, 0).toDouble();
    if (first < 500)
        return first;
    const qsizetype r = text.indexOf(QLatin1String("r="));
    return text.mid(r + 2).chopped(1).toDouble();
}

QString expectedResolution(const ManifestRow& row)
{
    if (row.notes.contains(QLatin1String("rotation -90")) || row.notes.contains(QLatin1String("rotation 90"))) {
        const QStringList wh = row.size.split(QLatin1Char('x'));
        return wh[1] + QLatin1Char('x') + wh[0];
    }
    return row.size;
}

class ProbeCorpus : public ::testing::Test {
protected:
    TFileInfo probe(const QString& path)
    {
        TFileInfoParser parser(path, realProgramDir(), &prompts);
        TFileInfo info;
        parser.Probe(info);
        return info;
    }
    FakePrompts prompts;
};

} // namespace

TEST_F(ProbeCorpus, EveryFileMatchesTheManifest)
{
    const QList<ManifestRow> rows = readManifest();
    ASSERT_GE(rows.size(), 20) << "corpus manifest not found in " << corpusDir().toStdString();
    for (const ManifestRow& row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        const TFileInfo info = probe(corpusFile(row.file));
        EXPECT_TRUE(prompts.messages.isEmpty());
        EXPECT_FALSE(info.Duration.isEmpty());
        if (row.duration != QLatin1String("N/A")) {
            const int tenths = TDurationParser(info.Duration).TotalTenths();
            EXPECT_LE(std::abs(tenths - row.duration.toDouble() * 10), 1.0) << info.Duration.toStdString();
        }
        EXPECT_GT(info.SizeMb, 0);
        if (row.videoCodec == QLatin1String("-")) {
            EXPECT_TRUE(info.VideoCodec.isEmpty());
            EXPECT_TRUE(IsUnsupported(info));
        } else {
            EXPECT_EQ(info.VideoCodec, row.videoCodec);
            EXPECT_EQ(info.Resolution, expectedResolution(row));
            EXPECT_NEAR(info.FrameRate, expectedFps(row.fps), 0.1);
            EXPECT_FALSE(IsUnsupported(info));
        }
        if (row.audioCodecs.value(0) == QLatin1String("-")) {
            EXPECT_TRUE(info.AudioCodec.isEmpty());
            EXPECT_EQ(info.SamplingRate, 0);
        } else {
            EXPECT_TRUE(row.audioCodecs.contains(info.AudioCodec)) << info.AudioCodec.toStdString();
            EXPECT_EQ(info.SamplingRate, row.sampleRate.toInt());
            const int channelCount = row.channels.section(QLatin1Char(' '), 0, 0).toInt();
            EXPECT_EQ(info.Channels, channelCount <= 2 ? channelCount : 0);
        }
    }
}

TEST_F(ProbeCorpus, UnreadableFilesAreUnsupportedWithoutAMessage)
{
    QTemporaryDir dir;
    QFile source(corpusFile(QStringLiteral("sample.mp4")));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString cases[] = {
        corpusFile(QStringLiteral("MANIFEST.tsv")),
        writeFile(dir.path() + QStringLiteral("/head.mp4"), source.read(1000)),
        writeFile(dir.path() + QStringLiteral("/empty.avi"), {}),
        writeFile(dir.path() + QStringLiteral("/noise.avi"), QByteArray(300000, '\x47')),
        dir.path() + QStringLiteral("/missing.avi"),
        dir.path(),
    };
    for (const QString& path : cases) {
        SCOPED_TRACE(path.toStdString());
        const TFileInfo info = probe(path);
        EXPECT_TRUE(IsUnsupported(info));
        EXPECT_TRUE(info.Duration.isEmpty());
    }
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(ProbeCorpus, NamesThatLookLikeReportTextDoNotConfuseTheReader)
{
    QTemporaryDir dir;
    const QString tricky = dir.path() + QStringLiteral("/Video: trip, 2009 Duration: x, bitrate: y.avi");
    ASSERT_TRUE(QFile::copy(corpusFile(QStringLiteral("sample.avi")), tricky));
    const TFileInfo info = probe(tricky);
    EXPECT_EQ(info.VideoCodec, QStringLiteral("mpeg4"));
    EXPECT_EQ(info.Resolution, QStringLiteral("960x400"));
    EXPECT_EQ(info.Duration, QStringLiteral("00:00:04.09"));
    EXPECT_EQ(info.FileName, QStringLiteral("Video: trip, 2009 Duration: x, bitrate: y.avi"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}
