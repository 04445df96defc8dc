#include "core/conversion/batch_conversion.h"
#include "core/media/file_utils.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

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
