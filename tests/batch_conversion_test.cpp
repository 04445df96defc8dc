#include "core/conversion/batch_conversion.h"
#include "core/media/file_utils.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

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
    void ShowFileStatus(int index, const TFileStatus& status) override
    {
        statuses[index] = status;
        calls << QStringLiteral("status %1 ").arg(index) + StatusText(status);
    }
    void HideView() override { calls << QStringLiteral("hide"); }
    QStringList calls;
    QMap<int, TFileStatus> statuses; // the last one shown for each row
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
        batch.LogFolder = work.path() + QStringLiteral("/logs");
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

TEST(BatchOutputPlan, OutputsThatClashGetNewNames)
{
    // Below a folder that does not exist, so only the files a case lists exist; the listed
    // sources exist unless named under "missing".
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/absent/");
    struct Case {
        const char* what;
        TextList sources;
        TextList existing;
        TextList missing;
        uint8_t location;
        TextList outputs;
    };
    const Case cases[] = {
        {"two sources in one folder", {"v/clip.avi", "v/clip.mov"}, {}, {}, olPreserve, {"v/clip.mp4", "v/clip_1.mp4"}},
        {"three sources in one folder",
         {"v/clip.avi", "v/clip.mov", "v/clip.wmv"},
         {},
         {},
         olPreserve,
         {"v/clip.mp4", "v/clip_1.mp4", "v/clip_1_1.mp4"}},
        {"two folders, beside their sources",
         {"a/clip.avi", "b/clip.avi"},
         {},
         {},
         olPreserve,
         {"a/clip.mp4", "b/clip.mp4"}},
        {"two folders into one", {"a/clip.avi", "b/clip.avi"}, {}, {}, olFolder, {"out/clip.mp4", "out/clip_1.mp4"}},
        {"a new name that exists is passed over",
         {"v/clip.avi", "v/clip.mov"},
         {"v/clip_1.mp4"},
         {},
         olPreserve,
         {"v/clip.mp4", "v/clip_1_1.mp4"}},
        {"an output that existed before keeps its name",
         {"v/clip.avi"},
         {"v/clip.mp4"},
         {},
         olPreserve,
         {"v/clip.mp4"}},
        {"an output that existed before, wanted twice",
         {"v/clip.avi", "v/clip.mov"},
         {"v/clip.mp4"},
         {},
         olPreserve,
         {"v/clip.mp4", "v/clip_1.mp4"}},
        {"an output that is a listed source still waiting",
         {"v/x.avi", "v/x.mp4"},
         {},
         {},
         olPreserve,
         {"v/x_1.mp4", "v/x.mp4"}},
        {"an output that is a listed source converted before",
         {"v/x.mp4", "v/x.avi"},
         {},
         {},
         olPreserve,
         {"v/x.mp4", "v/x_1.mp4"}},
        {"a listed source into the folder of another",
         {"out/x.mp4", "v/x.avi"},
         {},
         {},
         olFolder,
         {"out/x.mp4", "out/x_1.mp4"}},
        {"a new name that is a listed source is passed over",
         {"v/clip.avi", "v/clip.mov", "v/clip_1.mp4"},
         {},
         {},
         olPreserve,
         {"v/clip.mp4", "v/clip_1_1.mp4", "v/clip_1.mp4"}},
        {"names compare without regard to case",
         {"v/Clip.avi", "v/clip.MOV"},
         {},
         {},
         olPreserve,
         {"v/Clip.mp4", "v/clip_1.mp4"}},
        {"a source that is not there takes no part",
         {"v/clip.avi", "v/clip.mov", "v/x.avi", "v/x.mp4"},
         {},
         {"v/clip.avi", "v/x.mp4"},
         olPreserve,
         {"v/clip.mp4", "v/clip.mp4", "v/x.mp4", "v/x.mp4"}},
    };
    auto under = [&root](const QStringList& names) {
        QStringList paths;
        for (const QString& name : names)
            paths.append(root + name);
        return paths;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QSet<QString> present;
        for (const QString& path : under(c.sources) + under(c.existing))
            present.insert(path);
        for (const QString& path : under(c.missing))
            present.remove(path);
        const QStringList outputs = TBatchConversion::PlanOutputFiles(
            under(c.sources), c.location, root + QStringLiteral("out/"), QStringLiteral(".mp4"),
            [&present](const QString& path) { return present.contains(path); });
        EXPECT_EQ(outputs, under(c.outputs));
    }
}

TEST(BatchOutputPlan, AFolderReachedThroughALinkIsThatFolder)
{
    QTemporaryDir dir;
    const QString real = dir.path() + QStringLiteral("/real/");
    const QString link = dir.path() + QStringLiteral("/link/");
    writeFile(real + QStringLiteral("clip.avi"), "A");
    ASSERT_TRUE(QFile::link(real, dir.path() + QStringLiteral("/link")));
    writeFile(link + QStringLiteral("clip.mov"), "M");
    const QStringList outputs = TBatchConversion::PlanOutputFiles(
        {real + QStringLiteral("clip.avi"), link + QStringLiteral("clip.mov")}, olPreserve, {}, QStringLiteral(".mp4"),
        [](const QString& path) { return FileSizeOf(path) != 0; });
    EXPECT_EQ(outputs, (QStringList{real + QStringLiteral("clip.mp4"), link + QStringLiteral("clip_1.mp4")}));
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
        {"missing output", omSkip, work.path() + QStringLiteral("/none.mp4"), false,
         work.path() + QStringLiteral("/none.mp4")},
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
    for (const Step& s : {Step{oaNone, true}, Step{oaYes, false}, Step{oaNo, true}, Step{oaNoAll, true},
                          Step{oaNoAll, true}, Step{oaNoAll, true}}) {
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

// Whole batches with delete-after on: every source survives, as itself or as its output.
TEST_F(BatchTest, NoBatchWritesOverItsOwnOutputsOrItsSources)
{
    program.setScript({QStringLiteral("copy")}); // each output holds its source's bytes
    // A path below the case's folder, written as a plain literal in the table.
    struct Name : QString {
        Name(const char* text) : QString(QString::fromUtf8(text)) {}
        Name(const QString& text) : QString(text) {}
    };
    using Files = QMap<Name, QByteArray>; // path, bytes
    auto listing = [](const Files& files) {
        QStringList lines;
        for (auto it = files.begin(); it != files.end(); ++it)
            lines.append(QString(it.key()) + QLatin1Char('=') + QString::fromUtf8(it.value()));
        return lines;
    };
    const std::vector<TOverwriteMode> everyMode{omAsk, omReplace, omSkip, omNewName};
    struct Case {
        const char* what;
        std::vector<TOverwriteMode> modes;
        TOverwriteAnswer answer; // to every overwrite question
        Files before;
        TextList listed;
        bool toFolder;
        Files after;
    };
    const Files clipAndOld{{"v/clip.avi", "A"}, {"v/clip.mov", "M"}, {"v/clip.mp4", "old"}};
    const Case cases[] = {
        {"two sources in one folder",
         everyMode,
         oaNone,
         {{"v/clip.avi", "A"}, {"v/clip.mov", "M"}},
         {"v/clip.avi", "v/clip.mov"},
         false,
         {{"v/clip.mp4", "A"}, {"v/clip_1.mp4", "M"}}},
        {"two folders into one",
         everyMode,
         oaNone,
         {{"a/clip.avi", "A"}, {"b/clip.avi", "B"}},
         {"a/clip.avi", "b/clip.avi"},
         true,
         {{"out/clip.mp4", "A"}, {"out/clip_1.mp4", "B"}}},
        {"an output that is a listed source",
         {omAsk, omReplace, omSkip},
         oaYes,
         {{"v/x.avi", "X"}, {"v/x.mp4", "Y"}},
         {"v/x.avi", "v/x.mp4"},
         false,
         {{"v/x_1.mp4", "X"}, {"v/x.mp4", "Y"}}},
        {"an output that is a listed source, new names",
         {omNewName},
         oaNone,
         {{"v/x.avi", "X"}, {"v/x.mp4", "Y"}},
         {"v/x.avi", "v/x.mp4"},
         false,
         {{"v/x_1.mp4", "X"}, {"v/x_1_1.mp4", "Y"}}},
        {"a listed source converted first",
         {omAsk, omReplace, omSkip},
         oaYes,
         {{"v/x.avi", "X"}, {"v/x.mp4", "Y"}},
         {"v/x.mp4", "v/x.avi"},
         false,
         {{"v/x_1.mp4", "X"}, {"v/x.mp4", "Y"}}},
        {"an output from before, replaced",
         {omAsk, omReplace},
         oaYes,
         clipAndOld,
         {"v/clip.avi", "v/clip.mov"},
         false,
         {{"v/clip.mp4", "A"}, {"v/clip_1.mp4", "M"}}},
        {"an output from before, kept",
         {omAsk, omSkip},
         oaNo,
         clipAndOld,
         {"v/clip.avi", "v/clip.mov"},
         false,
         {{"v/clip.avi", "A"}, {"v/clip.mp4", "old"}, {"v/clip_1.mp4", "M"}}},
        {"an output from before, new names",
         {omNewName},
         oaNone,
         clipAndOld,
         {"v/clip.avi", "v/clip.mov"},
         false,
         {{"v/clip.mp4", "old"}, {"v/clip_1_1.mp4", "A"}, {"v/clip_1.mp4", "M"}}},
    };
    for (const Case& c : cases) {
        for (const TOverwriteMode mode : c.modes) {
            SCOPED_TRACE(std::string(c.what) + ", mode " + std::to_string(mode));
            QTemporaryDir folder;
            const QString root = folder.path() + QLatin1Char('/');
            for (auto it = c.before.begin(); it != c.before.end(); ++it)
                writeFile(root + QString(it.key()), it.value());
            QDir(root).mkpath(QStringLiteral("out"));
            FakePrompts answers;
            answers.overwriteAnswers = {c.answer, c.answer, c.answer};
            RecordingView shown;
            TBatchConversion run(program.path(), answers, shown);
            run.Parameters = batch.Parameters;
            run.Parameters.OverwriteMode = mode;
            run.Parameters.DeleteAfterConversion = true;
            run.Parameters.OutputLocation = c.toFolder ? olFolder : olPreserve;
            run.Parameters.DestinationFolder = root + QStringLiteral("out/");
            for (const QString& name : c.listed)
                run.Files.append(mediaRecord(root + name, "00:00:01.00"));
            run.Files.append(TFileInfo{});
            run.BeginConversion();

            Files after;
            QDirIterator files(root, QDir::Files, QDirIterator::Subdirectories);
            while (files.hasNext()) {
                const QString path = files.next();
                QFile file(path);
                ASSERT_TRUE(file.open(QIODevice::ReadOnly));
                after.insert(path.mid(root.size()), file.readAll());
            }
            EXPECT_EQ(listing(after), listing(c.after));
            EXPECT_TRUE(answers.messages.isEmpty());
            ASSERT_EQ(answers.summaries.size(), 1);
            EXPECT_EQ(answers.summaries[0].Failed, 0);
        }
    }
}

TEST_F(BatchTest, ThreeFilesSecondMissingWithProgress)
{
    program.setScript(
        {QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=1.0 bitrate=   1.0kbits/s\\r"),
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
    // A file was skipped: the folder is offered by the summary beside it, not opened at once.
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_EQ(prompts.summaries[0].OutputFolder, work.path() + QStringLiteral("/out/"));
    EXPECT_EQ(prompts.summaries[0].Headline, QStringLiteral("2 files converted, 1 skipped, 0 failed."));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST_F(BatchTest, FailedRunKeepsItsSourceAndIsReported)
{
    program.setScript(
        {QStringLiteral("when bad err Error[source-unreadable]: cannot open the input file: Invalid data\\n"),
         QStringLiteral("when bad exit 1"), QStringLiteral("touch")});
    const QString good = source(QStringLiteral("good.avi"));
    const QString bad = source(QStringLiteral("bad.avi"));
    list({mediaRecord(good, "00:00:01.00"), mediaRecord(bad, "00:00:01.00")});
    batch.Parameters.DeleteAfterConversion = true;
    batch.Parameters.SetConvertedAsOriginal = true;
    batch.BeginConversion();

    EXPECT_FALSE(QFile::exists(good));
    EXPECT_TRUE(QFile::exists(bad));
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_TRUE(prompts.summaries[0].Text().contains(QStringLiteral("bad.avi: the source file could not be opened")));
    EXPECT_EQ(batch.Statuses[1].Detail, QStringLiteral("Error: cannot open the input file: Invalid data"));
    EXPECT_EQ(prompts.summaries[0].Failed, 1);
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
    ASSERT_EQ(prompts.summaries.size(), 1);
    const QString report = prompts.summaries[0].Text();
    for (const char* name :
         {"no_output.avi: the encoder wrote no output file", "empty_output.avi: the encoder wrote no output file"})
        EXPECT_TRUE(report.contains(QLatin1String(name))) << report.toStdString();
    EXPECT_FALSE(report.contains(QStringLiteral("whole_output.avi")));
    // Something failed: the folder that holds the one result is offered, not opened at once.
    EXPECT_EQ(prompts.summaries[0].OutputFolder, work.path() + QStringLiteral("/out/"));
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
}

TEST_F(BatchTest, StopDuringTheFirstFile)
{
    program.setScript(
        {QStringLiteral("partial"),
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
    // A stopped batch ends without a summary; its files say they were stopped.
    EXPECT_TRUE(prompts.summaries.isEmpty());
    EXPECT_TRUE(prompts.notifications.isEmpty());
    EXPECT_EQ(view.statuses[0].State, TFileState::Stopped);
    EXPECT_EQ(view.statuses[1].State, TFileState::Stopped);
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
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_EQ(prompts.summaries[0].Failed, 2);
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(batch.Statuses[0].Detail.contains(QStringLiteral("could not be started")));
    EXPECT_EQ(batch.Statuses[0].Reason, QStringLiteral("the encoder program could not be started"));
    EXPECT_TRUE(batch.Statuses[1].Detail.contains(QStringLiteral("is not a valid integer value")));
    EXPECT_EQ(batch.Statuses[1].Reason, QStringLiteral("the file's frame size or running time could not be read"));
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

// Every kind of end a file can have, as the list and the summary show it.
TEST_F(BatchTest, StatusesAfterABatch)
{
    program.setScript(
        {QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral(
             "when bad err \\nError[disk-full]: cannot write to the output file: No space left on device\\n"),
         QStringLiteral("when bad exit 1"), QStringLiteral("touch")});
    const QString good = source(QStringLiteral("good.avi"));
    const QString bad = source(QStringLiteral("bad.avi"));
    const QString gone = work.path() + QStringLiteral("/gone.avi");
    const QString kept = source(QStringLiteral("kept.avi"));
    writeFile(work.path() + QStringLiteral("/out/kept.mp4"), "old");
    const QString clipAvi = source(QStringLiteral("clip.avi"));
    const QString clipMov = source(QStringLiteral("clip.mov"));
    list({mediaRecord(good, "00:00:01.00"), mediaRecord(bad, "00:00:01.00"), mediaRecord(gone, "00:00:01.00"),
          mediaRecord(kept, "00:00:01.00"), mediaRecord(clipAvi, "00:00:01.00"), mediaRecord(clipMov, "00:00:01.00")});
    batch.Parameters.OverwriteMode = omSkip;
    batch.Parameters.OutputLocation = olFolder;
    batch.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    batch.BeginConversion();

    const QString out = work.path() + QStringLiteral("/out/");
    struct Expected {
        TFileState state;
        QString output;
        QString text;
    };
    const Expected expected[] = {
        {TFileState::Done, out + QStringLiteral("good.mp4"), QStringLiteral("Done: good.mp4")},
        {TFileState::Failed, out + QStringLiteral("bad.mp4"), QStringLiteral("Failed: the disk is full")},
        {TFileState::Skipped, out + QStringLiteral("gone.mp4"),
         QStringLiteral("Skipped: the source file is missing or empty")},
        {TFileState::Skipped, out + QStringLiteral("kept.mp4"),
         QStringLiteral("Skipped: the output file exists; kept it, as the overwrite choice is Skip")},
        {TFileState::Done, out + QStringLiteral("clip.mp4"), QStringLiteral("Done: clip.mp4")},
        {TFileState::Done, out + QStringLiteral("clip_1.mp4"), QStringLiteral("Done: clip_1.mp4 (new name)")},
    };
    ASSERT_EQ(batch.Statuses.size(), std::size(expected));
    for (qsizetype i = 0; i < batch.Statuses.size(); ++i) {
        SCOPED_TRACE(batch.Statuses[i].SourcePath.toStdString());
        // The window was told of every change, the last being the one the batch ended with.
        EXPECT_EQ(StatusText(view.statuses.value(static_cast<int>(i))), expected[i].text);
        EXPECT_EQ(StatusText(batch.Statuses[i]), expected[i].text);
        EXPECT_EQ(batch.Statuses[i].State, expected[i].state);
        EXPECT_EQ(batch.Statuses[i].OutputPath, expected[i].output);
        // Every file waited first; the converted ones showed their progress.
        EXPECT_EQ(countOf(QStringLiteral("status %1 Waiting").arg(i)), 1);
    }
    EXPECT_GE(countOf(QStringLiteral("status 0 Converting 50%")), 1);

    // The failed run's whole encoder output is in its log; a file that did not run has none.
    const TFileStatus& failed = batch.Statuses[1];
    EXPECT_EQ(failed.Detail, QStringLiteral("Error: cannot write to the output file: No space left on device"));
    QFile log(failed.LogPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << failed.LogPath.toStdString();
    const QByteArray logText = log.readAll();
    EXPECT_TRUE(logText.contains("time=0.5 bitrate"));
    EXPECT_TRUE(logText.contains("Error[disk-full]: cannot write to the output file: No space left on device"));
    EXPECT_TRUE(logText.contains("Exit status: 1"));
    EXPECT_TRUE(batch.Statuses[2].LogPath.isEmpty());
    EXPECT_TRUE(StatusToolTip(failed).contains(QStringLiteral("Encoder: Error: cannot write")));

    ASSERT_EQ(prompts.summaries.size(), 1);
    const TBatchSummary& summary = prompts.summaries[0];
    EXPECT_EQ(summary.Headline, QStringLiteral("3 files converted, 2 skipped, 1 failed."));
    EXPECT_EQ(summary.OutputFolder, out);
    ASSERT_EQ(summary.Lines.size(), 4);
    EXPECT_EQ(summary.Lines[0].LogPath, failed.LogPath);
    EXPECT_EQ(summary.Lines[3].Text, QStringLiteral("clip_1.mp4"));
    EXPECT_EQ(prompts.notifications, QStringList{QStringLiteral("Conversion finished|") + summary.Headline});
    EXPECT_TRUE(prompts.openedPaths.isEmpty());
}

namespace {

// The scheduling state of a process as /proc shows it: 'T' while it is held by SIGSTOP; 0 once it
// is gone.
char processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const qsizetype at = text.lastIndexOf(')');
    return at >= 0 && at + 2 < text.size() ? text[at + 2] : 0;
}

} // namespace

// Pause holds the encoder and the clocks; Resume lets them go on; Stop ends a held run.
TEST_F(BatchTest, PauseHoldsTheEncoderAndTheClocks)
{
    program.setScript(
        {QStringLiteral("pid"),
         QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("sleep 50"),
         QStringLiteral("err frame=    2 fps=  0 q=2.0 size=       2kB time=1.0 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("when held partial"), QStringLiteral("when held hang"), QStringLiteral("touch")});
    const QString first = source(QStringLiteral("first.avi"));
    const QString held = source(QStringLiteral("held.avi"));
    list({mediaRecord(first, "00:00:01.00"), mediaRecord(held, "00:00:01.00")});

    enum class Step { Running, Holding, Stopping } step = Step::Running;
    qint64 pid = 0;
    qint32 elapsedAtPause = 0;
    qint32 ticksAtPause = 0;
    int resumed = 0;
    QElapsedTimer holding; // a guard: an encoder that is never held fails the test instead of hanging it
    view.onFileProgress = [&](int position) {
        if (position == 0 || step != Step::Running || batch.Paused() || batch.Stopped)
            return;
        if (batch.FileIndex == 0 && resumed > 0)
            return; // the first file is held once only
        batch.Pause();
        pid = program.receivedPid();
        elapsedAtPause = batch.ElapsedSeconds;
        ticksAtPause = batch.EstimateTicks;
        step = Step::Holding;
        holding.start();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (step == Step::Holding && processState(pid) != 'T' && holding.elapsed() > 20000) {
            ADD_FAILURE() << "the encoder was not held";
            step = Step::Stopping;
            batch.DoStopBtnClick();
        }
        if (step != Step::Holding || processState(pid) != 'T')
            return;
        // Held: neither clock counts.
        EXPECT_FALSE(batch.ElapsedTimer.isActive());
        EXPECT_FALSE(batch.EstimatedTimer.isActive());
        EXPECT_EQ(batch.ElapsedSeconds, elapsedAtPause);
        EXPECT_EQ(batch.EstimateTicks, ticksAtPause);
        EXPECT_EQ(batch.Statuses[batch.FileIndex].State, TFileState::Converting);
        if (batch.FileIndex == 0) {
            ++resumed;
            step = Step::Running;
            batch.Resume();
            EXPECT_TRUE(batch.ElapsedTimer.isActive());
            EXPECT_NE(processState(pid), 'T');
        } else {
            step = Step::Stopping;
            batch.DoStopBtnClick(); // while held
        }
    });
    poll.start(5);
    batch.BeginConversion();

    EXPECT_EQ(resumed, 1);
    EXPECT_EQ(step, Step::Stopping);
    EXPECT_EQ(batch.Statuses[0].State, TFileState::Done);
    EXPECT_EQ(batch.Statuses[1].State, TFileState::Stopped);
    EXPECT_EQ(processState(pid), 0); // the held encoder was ended and reaped
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/held.mp4.part")));
    EXPECT_FALSE(batch.Paused());
}
