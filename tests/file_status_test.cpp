// The words of a batch's statuses and summary, and the keeping of the encoder runs' logs.
#include "core/conversion/file_status.h"
#include "core/conversion/run_log.h"
#include "test_support.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(FileStatusTexts, EncoderLinesInPlainWords)
{
    struct Case {
        const char* line;
        const char* reason;
    };
    // The code decides; the text is shown as it is only when the code is not one the converter knows.
    const Case cases[] = {
        {"Error[source-unreadable]: cannot open the input file: No such file or directory",
         "the source file could not be opened"},
        {"Error[source-forbidden]: cannot open the input file: Permission denied",
         "the source file may not be read (no permission)"},
        {"Error[source-damaged]: the source is damaged or ends early",
         "the source is damaged; only part of it could be converted"},
        {"Error[disk-full]: cannot write to the output file: No space left on device", "the disk is full"},
        {"Error[output-forbidden]: cannot write the output header: Permission denied",
         "the output folder may not be written to (no permission)"},
        {"Error[stalled]: the conversion made no progress for 60 s", "the conversion stalled and was ended"},
        {"Error[level-exceeded]: a 1920x1080 picture is larger than H.264 level 3 holds",
         "the picture is too large for the device's video level"},
        {"Error[video-codec-unknown]: unknown video codec 'xyz'",
         "the device's video codec is not supported by the encoder"},
        {"Error[encoder-not-started]: (/p/encoder/encoder)", "the encoder program could not be started"},
        {"Error[encoder-ended]: status 2", "the encoder ended unexpectedly"},
        // English words no longer decide: a line without a code is shown as it says.
        {"Error: cannot write to the output file: No space left on device",
         "cannot write to the output file: No space left on device"},
        {"Error[failed]: something new", "something new"},
        {"Error[some-future-code]: something newer", "something newer"},
        {"", "the encoder gave no reason"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FailureReason(QString::fromUtf8(c.line)), QString::fromUtf8(c.reason)) << c.line;
}

TEST(FileStatusTexts, SummaryCountsAndSections)
{
    auto status = [](TFileState state, const char* source, const char* output, bool renamed = false,
                     const char* reason = "") {
        TFileStatus s;
        s.State = state;
        s.SourcePath = QString::fromUtf8(source);
        s.OutputPath = QString::fromUtf8(output);
        s.Renamed = renamed;
        s.Reason = QString::fromUtf8(reason);
        s.LogPath = state == TFileState::Failed ? QStringLiteral("/logs/x.log") : QString();
        return s;
    };
    struct Case {
        const char* what;
        QList<TFileStatus> statuses;
        QString folder;
        const char* text;
    };
    const Case cases[] = {
        {"one converted, into a folder",
         {status(TFileState::Done, "/v/a.avi", "/out/a.mp4")},
         QStringLiteral("/out/"),
         "1 file converted, 0 skipped, 0 failed.\n\nThe converted files are in /out/"},
        {"nothing converted offers no folder",
         {status(TFileState::Skipped, "/v/a.avi", "/out/a.mp4", false, "the source file is missing or empty")},
         QStringLiteral("/out/"),
         "0 files converted, 1 skipped, 0 failed.\n\nSkipped:\n    a.avi: the source file is missing or empty"},
        {"failed, skipped and renamed, beside their sources",
         {status(TFileState::Done, "/v/clip.avi", "/v/clip.mp4"),
          status(TFileState::Skipped, "/v/kept.avi", "/v/kept.mp4", false, "kept"),
          status(TFileState::Done, "/v/clip.mov", "/v/clip_1.mp4", true),
          status(TFileState::Failed, "/v/bad.avi", "/v/bad.mp4", false, "the disk is full")},
         QString(),
         "2 files converted, 1 skipped, 1 failed.\n\nFailed:\n    bad.avi: the disk is full\n\nSkipped:\n"
         "    kept.avi: kept\n\nGiven new names, so that no file is written over:\n    clip.mov: clip_1.mp4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TBatchSummary summary = SummarizeBatch(c.statuses, c.folder);
        EXPECT_EQ(summary.Text(), QString::fromUtf8(c.text));
        EXPECT_EQ(summary.Converted + summary.Skipped + summary.Failed, c.statuses.size());
    }
    const TBatchSummary mixed = SummarizeBatch(cases[2].statuses, {});
    EXPECT_EQ(mixed.Renamed, 1);
    ASSERT_EQ(mixed.Lines.size(), 3);
    EXPECT_EQ(mixed.Lines[0].LogPath, QStringLiteral("/logs/x.log"));
    EXPECT_TRUE(mixed.Lines[0].ToolTip.contains(QStringLiteral("Log: /logs/x.log")));
}

TEST(RunLogs, OnlyTheNewestAreKept)
{
    QTemporaryDir dir;
    for (int i = 0; i < 5; ++i)
        writeFile(dir.path() + QStringLiteral("/2024010%1-000000-000-clip.avi.log").arg(i), "log");
    writeFile(dir.path() + QStringLiteral("/notes.txt"), "not a log");
    TRunLog::Prune(dir.path(), 2);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
              (QStringList{QStringLiteral("20240103-000000-000-clip.avi.log"),
                           QStringLiteral("20240104-000000-000-clip.avi.log"), QStringLiteral("notes.txt")}));
}
