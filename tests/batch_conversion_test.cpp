#include "conversion/batch_conversion.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class RecordingView : public TProgressView {
public:
    void ShowFileName(const QString& text) override { calls << QStringLiteral("name ") + text; }
    void ShowCurrentConversing(const QString& text) override { calls << text; }
    void ShowFileProgress(int position) override
    {
        calls << QStringLiteral("file %1").arg(position);
        if (onFileProgress)
            onFileProgress(position);
    }
    void ShowTotalProgress(int position) override { calls << QStringLiteral("total %1").arg(position); }
    void ShowTotalLabel(const QString& text) override { calls << text; }
    void ShowElapsedLabel(const QString& text) override { calls << text; }
    void ShowEstimatedLabel(const QString& text) override { calls << text; }
    void HideView() override { calls << QStringLiteral("hide"); }
    QStringList calls;
    std::function<void(int)> onFileProgress;
};

TFileInfo mediaRecord(const QString& path, const char* duration)
{
    TFileInfo info;
    info.FilePath = path;
    info.FileName = QFileInfo(path).fileName();
    info.Duration = QString::fromLatin1(duration);
    info.Resolution = QStringLiteral("640x480");
    info.SizeMb = 1;
    return info;
}

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        batch.Parameters.FileFormat = QStringLiteral("mp4");
        batch.Parameters.VideoCodec = QStringLiteral("mpeg4");
        batch.Parameters.AudioCodec = QStringLiteral("aac");
        batch.Parameters.ResolutionX = 320;
        batch.Parameters.ResolutionY = 240;
        batch.Parameters.OverwriteMode = omReplace;
    }
    QString source(const QString& name, const QByteArray& bytes = "video")
    {
        return writeFile(work.path() + QLatin1Char('/') + name, bytes);
    }
    void list(const QList<TFileInfo>& infos)
    {
        batch.Files = infos;
        batch.Files.append(TFileInfo{});
        qint32 total = 0;
        for (const TFileInfo& i : infos)
            total += i.Duration.mid(6, 2).toInt() * 10;
        batch.Parameters.TotalDuration = total;
    }
    int countOf(const QString& call) const { return static_cast<int>(view.calls.count(call)); }

    QTemporaryDir work;
    FakeProgramDir program;
    FakePrompts prompts;
    RecordingView view;
    TBatchConversion batch{program.path(), prompts, view};
};

} // namespace

TEST(BatchPaths, OutputNames)
{
    EXPECT_EQ(TBatchConversion::OutputExtension(QStringLiteral("3gp")), QStringLiteral(".3gp"));
    EXPECT_EQ(TBatchConversion::OutputExtension(QStringLiteral("psp")), QStringLiteral(".mp4"));
    EXPECT_EQ(TBatchConversion::ReplaceExtension(QStringLiteral("/v/clip.avi"), QStringLiteral(".3gp")),
              QStringLiteral("/v/clip.3gp"));
    EXPECT_EQ(TBatchConversion::ReplaceExtension(QStringLiteral("/v/clip"), QStringLiteral(".3gp")),
              QStringLiteral("/v/clip.3gp"));
    EXPECT_EQ(TBatchConversion::ReplaceExtension(QStringLiteral("/v.d/clip"), QStringLiteral(".mp4")),
              QStringLiteral("/v.d/clip.mp4"));
    EXPECT_EQ(TBatchConversion::ReplaceExtension(QStringLiteral("/v/a.b.avi"), QStringLiteral("_1.mp4")),
              QStringLiteral("/v/a.b_1.mp4"));
}

TEST_F(BatchTest, CheckOverwritesPerMode)
{
    const QString src = source(QStringLiteral("clip.avi"));
    const QString existing = source(QStringLiteral("clip.mp4"), "old");
    const QString empty = source(QStringLiteral("empty.mp4"), "");
    struct Case {
        const char* what;
        TOverwriteMode mode;
        QString output;
        bool skip;
        QString outputAfter;
    };
    const QString upper = work.path() + QStringLiteral("/CLIP.AVI");
    const Case cases[] = {
        {"ask, same file", omAsk, upper, true, upper},
        {"replace, same file", omReplace, src, true, src},
        {"skip, same file", omSkip, src, true, src},
        {"new name, same file", omNewName, src, false, work.path() + QStringLiteral("/clip_1.mp4")},
        {"replace", omReplace, existing, false, existing},
        {"skip", omSkip, existing, true, existing},
        {"empty output is overwritten", omSkip, empty, false, empty},
        {"missing output", omSkip, work.path() + QStringLiteral("/none.mp4"), false, work.path() + QStringLiteral("/none.mp4")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        batch.Parameters.OverwriteMode = c.mode;
        batch.SourceFile = src;
        batch.OutputFile = c.output;
        EXPECT_EQ(batch.CheckOverwrites(), c.skip);
        EXPECT_EQ(batch.OutputFile, c.outputAfter);
    }
    EXPECT_TRUE(prompts.overwriteQuestions.isEmpty());

    // New names grow by one "_1" per existing file.
    source(QStringLiteral("clip_1.mp4"), "old");
    batch.Parameters.OverwriteMode = omNewName;
    batch.OutputFile = existing;
    EXPECT_FALSE(batch.CheckOverwrites());
    EXPECT_EQ(batch.OutputFile, work.path() + QStringLiteral("/clip_1_1.mp4"));
}

TEST_F(BatchTest, AskRemembersAllAnswersForTheBatch)
{
    const QString existing = source(QStringLiteral("clip.mp4"), "old");
    batch.Parameters.OverwriteMode = omAsk;
    batch.SourceFile = source(QStringLiteral("clip.avi"));
    struct Step {
        TOverwriteAnswer answer;
        bool skip;
    };
    // Closed from the title bar: keeps the file this time and asks again next time.
    prompts.overwriteAnswers = {oaNone, oaYes, oaNo, oaNoAll};
    for (const Step& s : {Step{oaNone, true}, Step{oaYes, false}, Step{oaNo, true}, Step{oaNoAll, true}, Step{oaNoAll, true},
                          Step{oaNoAll, true}}) {
        batch.OutputFile = existing;
        EXPECT_EQ(batch.CheckOverwrites(), s.skip);
        EXPECT_EQ(batch.OverwriteAnswer, s.answer);
    }
    EXPECT_EQ(prompts.overwriteQuestions.size(), 4);
    batch.OverwriteAnswer = oaYesAll;
    batch.OutputFile = existing;
    EXPECT_FALSE(batch.CheckOverwrites());
    EXPECT_EQ(prompts.overwriteQuestions.size(), 4);
}

TEST_F(BatchTest, ThreeFilesSecondMissingWithProgress)
{
    program.setScript({QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=1.0 bitrate=   1.0kbits/s\\r"),
                       QStringLiteral("sleep 30"),
                       QStringLiteral("err frame=    2 fps=  0 q=2.0 size=       2kB time=2.0 bitrate=   1.0kbits/s\\r"),
                       QStringLiteral("sleep 30"), QStringLiteral("touch")});
    const QString a = source(QStringLiteral("a.avi"));
    const QString c = source(QStringLiteral("c.avi"));
    list({mediaRecord(a, "00:00:02.00"), mediaRecord(work.path() + QStringLiteral("/b.avi"), "00:00:00.00"),
          mediaRecord(c, "00:00:02.00")});
    batch.Parameters.OutputLocation = olFolder;
    QDir(work.path()).mkdir(QStringLiteral("out"));
    batch.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    batch.Parameters.DeleteAfterConversion = true;
    batch.BeginConversion();

    EXPECT_EQ(countOf(QStringLiteral("Files 1 of 3")), 1);
    EXPECT_EQ(countOf(QStringLiteral("Files 2 of 3")), 0);
    EXPECT_EQ(countOf(QStringLiteral("Files 3 of 3")), 1);
    EXPECT_GE(countOf(QStringLiteral("file 50")), 2);
    EXPECT_GE(countOf(QStringLiteral("file 100")), 2);
    EXPECT_EQ(countOf(QStringLiteral("total 25")), 1);
    EXPECT_EQ(countOf(QStringLiteral("total 100")), 1);
    EXPECT_TRUE(view.calls.contains(QStringLiteral("Total: 100%")));
    EXPECT_EQ(view.calls.last(), QStringLiteral("hide"));
    EXPECT_TRUE(QFile::exists(work.path() + QStringLiteral("/out/a.mp4")));
    EXPECT_TRUE(QFile::exists(work.path() + QStringLiteral("/out/c.mp4")));
    // Converted completely, so the sources go as asked.
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_FALSE(QFile::exists(c));
    EXPECT_EQ(prompts.openedPaths, QStringList{work.path() + QStringLiteral("/out/")});
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(BatchTest, FailedRunKeepsItsSourceAndIsReported)
{
    program.setScript({QStringLiteral("when bad err Error: cannot open the input file: Invalid data\\n"),
                       QStringLiteral("when bad exit 1"), QStringLiteral("touch")});
    const QString good = source(QStringLiteral("good.avi"));
    const QString bad = source(QStringLiteral("bad.avi"));
    list({mediaRecord(good, "00:00:01.00"), mediaRecord(bad, "00:00:01.00")});
    batch.Parameters.DeleteAfterConversion = true;
    batch.Parameters.SetConvertedAsOriginal = true;
    batch.BeginConversion();

    EXPECT_FALSE(QFile::exists(good));
    EXPECT_TRUE(QFile::exists(bad));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("bad.avi: Error: cannot open the input file")));
    EXPECT_EQ(batch.FailedFiles.size(), 1);
    EXPECT_TRUE(prompts.openedPaths.isEmpty()); // results stayed beside their sources
}

TEST_F(BatchTest, ExitZeroWithoutAWholeOutputIsAFailureAndKeepsTheSource)
{
    // Every run ends with status 0; only one leaves a file with something in it.
    program.setScript({QStringLiteral("when whole_output touch"), QStringLiteral("when empty_output empty")});
    const QString whole = source(QStringLiteral("whole_output.avi"));
    const QString none = source(QStringLiteral("no_output.avi"));
    const QString empty = source(QStringLiteral("empty_output.avi"));
    list({mediaRecord(none, "00:00:01.00"), mediaRecord(empty, "00:00:01.00"), mediaRecord(whole, "00:00:01.00")});
    batch.Parameters.DeleteAfterConversion = true;
    batch.Parameters.OutputLocation = olFolder;
    QDir(work.path()).mkdir(QStringLiteral("out"));
    batch.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    batch.BeginConversion();

    EXPECT_TRUE(QFile::exists(none));
    EXPECT_TRUE(QFile::exists(empty));
    EXPECT_FALSE(QFile::exists(whole));
    EXPECT_EQ(batch.SucceededCount, 1);
    ASSERT_EQ(prompts.messages.size(), 1);
    const QString& report = prompts.messages[0].text;
    for (const char* name : {"no_output.avi: Error: ", "empty_output.avi: Error: "})
        EXPECT_TRUE(report.contains(QLatin1String(name))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("whole_output.avi")));
    EXPECT_EQ(prompts.openedPaths, QStringList{work.path() + QStringLiteral("/out/")});
}

TEST_F(BatchTest, StopDuringTheFirstFile)
{
    program.setScript({QStringLiteral("partial"),
                       QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
                       QStringLiteral("hang")});
    const QString first = source(QStringLiteral("first.avi"));
    const QString second = source(QStringLiteral("second.avi"));
    list({mediaRecord(first, "00:00:05.00"), mediaRecord(second, "00:00:05.00")});
    batch.Parameters.OutputLocation = olFolder;
    batch.Parameters.DestinationFolder = work.path() + QLatin1Char('/');
    batch.Parameters.DeleteAfterConversion = true;
    const QString log = source(QStringLiteral("first.mp4.log"), "log");
    // Stop at the first progress shown: the encoder has written part of its output and hangs.
    view.onFileProgress = [this](int position) {
        if (position > 0 && !batch.Stopped) {
            EXPECT_TRUE(QFile::exists(work.path() + QStringLiteral("/first.mp4.part")));
            batch.DoStopBtnClick();
        }
    };
    batch.BeginConversion();

    EXPECT_TRUE(batch.Stopped);
    EXPECT_FALSE(batch.WorkerDone);
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/first.mp4.part")));
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/first.mp4")));
    EXPECT_FALSE(QFile::exists(log));
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/second.mp4")));
    EXPECT_TRUE(QFile::exists(first));
    EXPECT_EQ(countOf(QStringLiteral("Files 2 of 2")), 0);
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(BatchTest, MissingEncoderOrUnreadableSizeFailsTheFileWithoutWaiting)
{
    const QString a = source(QStringLiteral("a.avi"));
    TFileInfo broken = mediaRecord(source(QStringLiteral("b.avi")), "00:00:01.00");
    broken.Resolution = QStringLiteral("640x480 [SAR 1:1]");
    list({mediaRecord(a, "00:00:01.00"), broken});
    batch.Parameters.DeleteAfterConversion = true;
    QFile::remove(program.path() + QStringLiteral("encoder/encoder"));
    batch.BeginConversion();
    EXPECT_EQ(batch.FailedFiles.size(), 2);
    EXPECT_TRUE(QFile::exists(a));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("could not be started")));
    EXPECT_TRUE(prompts.messages[0].text.contains(QStringLiteral("is not a valid integer value")));
}

TEST_F(BatchTest, EveryFileSkippedOpensNoFolder)
{
    const QString a = source(QStringLiteral("a.avi"));
    source(QStringLiteral("a.mp4"), "exists");
    list({mediaRecord(a, "00:00:01.00")});
    batch.Parameters.OverwriteMode = omSkip;
    batch.Parameters.OutputLocation = olFolder;
    batch.Parameters.DestinationFolder = work.path() + QLatin1Char('/');
    batch.BeginConversion();
    EXPECT_EQ(batch.ConvertedCount, 0);
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
}
