#include "core/conversion/batch_conversion.h"
#include "core/conversion/output_names.h"
#include "core/conversion/output_plan.h"
#include "core/media/file_utils.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>
#include <optional>
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

// Starts the batch and waits until it has ended.
void runBatch(TBatchConversion& batch, const TBatchRequest& request)
{
    QEventLoop loop;
    QObject::connect(&batch, &TBatchConversion::finished, &loop, &QEventLoop::quit);
    batch.Start(request);
    if (batch.Running())
        loop.exec();
}

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
        ConnectProgressView(batch, view);
        request.LogFolder = work.path() + QStringLiteral("/logs");
        request.Parameters.FileFormat = QStringLiteral("mp4");
        request.Parameters.VideoCodec = QStringLiteral("mpeg4");
        request.Parameters.AudioCodec = QStringLiteral("aac");
        request.Parameters.ResolutionX = 320;
        request.Parameters.ResolutionY = 240;
        request.Parameters.OverwriteMode = omReplace;
    }
    QString source(const QString& name, const QByteArray& bytes = "video")
    {
        return writeFile(work.path() + QLatin1Char('/') + name, bytes);
    }
    void list(const QList<TFileInfo>& infos)
    {
        request.Files = infos;
        qint32 total = 0;
        for (const TFileInfo& i : infos)
            total += i.Duration.mid(6, 2).toInt() * 10;
        request.Parameters.TotalDuration = total;
    }
    void start() { runBatch(batch, request); }
    int countOf(const QString& call) const { return static_cast<int>(view.calls.count(call)); }

    QTemporaryDir work;
    FakeProgramDir program;
    FakePrompts prompts;
    RecordingView view;
    TBatchRequest request;
    TBatchConversion batch{program.path(), prompts};
};

} // namespace

TEST(BatchPaths, OutputNames)
{
    EXPECT_EQ(OutputExtension(QStringLiteral("3gp")), QStringLiteral(".3gp"));
    EXPECT_EQ(OutputExtension(QStringLiteral("psp")), QStringLiteral(".mp4"));
    EXPECT_EQ(ReplaceExtension(QStringLiteral("/v/clip.avi"), QStringLiteral(".3gp")), QStringLiteral("/v/clip.3gp"));
    EXPECT_EQ(ReplaceExtension(QStringLiteral("/v/clip"), QStringLiteral(".3gp")), QStringLiteral("/v/clip.3gp"));
    EXPECT_EQ(ReplaceExtension(QStringLiteral("/v.d/clip"), QStringLiteral(".mp4")), QStringLiteral("/v.d/clip.mp4"));
    EXPECT_EQ(ReplaceExtension(QStringLiteral("/v/a.b.avi"), QStringLiteral("_1.mp4")), QStringLiteral("/v/a.b_1.mp4"));
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
        const QStringList outputs =
            PlanOutputFiles(under(c.sources), c.location, root + QStringLiteral("out/"), QStringLiteral(".mp4"),
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
    const QStringList outputs =
        PlanOutputFiles({real + QStringLiteral("clip.avi"), link + QStringLiteral("clip.mov")}, olPreserve, {},
                        QStringLiteral(".mp4"), [](const QString& path) { return FileSizeOf(path) != 0; });
    EXPECT_EQ(outputs, (QStringList{real + QStringLiteral("clip.mp4"), link + QStringLiteral("clip_1.mp4")}));
}

TEST(BatchOutputPlan, OverwriteDecisions)
{
    using A = TOverwriteAction;
    const TOverwriteDecision write{A::Write};
    const TOverwriteDecision ask{A::Ask};
    const TOverwriteDecision newName{A::NewName};
    const TOverwriteDecision ownSource{A::Skip, TSkipCause::OwnSource};
    const TOverwriteDecision keptBySkip{A::Skip, TSkipCause::KeptBySkip};
    const TOverwriteDecision keptByAnswer{A::Skip, TSkipCause::KeptByAnswer};
    const TOverwriteDecision folder{A::Skip, TSkipCause::FolderInTheWay};
    struct Case {
        const char* what;
        TOverwriteMode mode;
        bool isSource;
        bool exists;
        bool isFolder;
        TOverwriteAnswer answer;
        bool asked;
        TOverwriteDecision decision;
    };
    const Case cases[] = {
        {"ask, own source", omAsk, true, true, false, oaYesAll, false, ownSource},
        {"replace, own source", omReplace, true, true, false, oaNone, false, ownSource},
        {"skip, own source", omSkip, true, true, false, oaNone, false, keptBySkip},
        {"new name, own source", omNewName, true, true, false, oaNone, false, newName},
        {"missing output", omSkip, false, false, false, oaNone, false, write},
        {"replace", omReplace, false, true, false, oaNone, false, write},
        {"skip", omSkip, false, true, false, oaNone, false, keptBySkip},
        {"new name", omNewName, false, true, false, oaNone, false, newName},
        {"ask, not yet asked", omAsk, false, true, false, oaNone, false, ask},
        {"ask again after a single yes", omAsk, false, true, false, oaYes, false, ask},
        {"ask again after a single no", omAsk, false, true, false, oaNo, false, ask},
        {"yes to all stands", omAsk, false, true, false, oaYesAll, false, write},
        {"no to all stands", omAsk, false, true, false, oaNoAll, false, keptByAnswer},
        {"answered yes", omAsk, false, true, false, oaYes, true, write},
        {"answered no", omAsk, false, true, false, oaNo, true, keptByAnswer},
        // Closed from the title bar: nothing is lost by asking.
        {"question closed", omAsk, false, true, false, oaNone, true, keptByAnswer},
        // A folder under the output's name: never asked about nor replaced; a new name passes it.
        {"ask, folder", omAsk, false, true, true, oaNone, false, folder},
        {"yes to all, folder", omAsk, false, true, true, oaYesAll, false, folder},
        {"replace, folder", omReplace, false, true, true, oaNone, false, folder},
        {"skip, folder", omSkip, false, true, true, oaNone, false, folder},
        {"new name, folder", omNewName, false, true, true, oaNone, false, newName},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecideOverwrite(c.mode, c.isSource, c.exists, c.isFolder, c.answer, c.asked), c.decision) << c.what;
}

TEST_F(BatchTest, AskRemembersAllAnswersForTheBatch)
{
    program.setScript({QStringLiteral("touch")});
    for (const char* name : {"a", "b", "c", "d"}) {
        const QString base = work.path() + QLatin1Char('/') + QLatin1String(name);
        writeFile(base + QStringLiteral(".mp4"), "old");
        request.Files.append(mediaRecord(writeFile(base + QStringLiteral(".avi"), "video"), "00:00:01.00"));
    }
    request.Parameters.OverwriteMode = omAsk;
    // Closed from the title bar: kept, and asked again for the next file; "No to All" holds for the rest.
    prompts.overwriteAnswers = {oaNone, oaYes, oaNoAll};
    start();
    EXPECT_EQ(prompts.overwriteQuestions.size(), 3);
    const TFileState expected[] = {TFileState::Skipped, TFileState::Done, TFileState::Skipped, TFileState::Skipped};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(batch.Statuses()[i].State, expected[i]) << i;
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
            TBatchConversion run(program.path(), answers);
            ConnectProgressView(run, shown);
            TBatchRequest r = request;
            r.Parameters.OverwriteMode = mode;
            r.Parameters.DeleteAfterConversion = true;
            r.Parameters.OutputLocation = c.toFolder ? olFolder : olPreserve;
            r.Parameters.DestinationFolder = root + QStringLiteral("out/");
            for (const QString& name : c.listed)
                r.Files.append(mediaRecord(root + name, "00:00:01.00"));
            runBatch(run, r);

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
    request.Parameters.OutputLocation = olFolder;
    QDir(work.path()).mkdir(QStringLiteral("out"));
    request.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    request.Parameters.DeleteAfterConversion = true;
    start();

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
    request.Parameters.DeleteAfterConversion = true;
    request.Parameters.SetConvertedAsOriginal = true;
    start();

    EXPECT_FALSE(QFile::exists(good));
    EXPECT_TRUE(QFile::exists(bad));
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_TRUE(prompts.summaries[0].Text().contains(QStringLiteral("bad.avi: the source file could not be opened")));
    EXPECT_EQ(batch.Statuses()[1].Detail, QStringLiteral("Error: cannot open the input file: Invalid data"));
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
    request.Parameters.DeleteAfterConversion = true;
    request.Parameters.OutputLocation = olFolder;
    QDir(work.path()).mkdir(QStringLiteral("out"));
    request.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    start();

    EXPECT_TRUE(QFile::exists(none));
    EXPECT_TRUE(QFile::exists(empty));
    EXPECT_FALSE(QFile::exists(whole));
    EXPECT_EQ(batch.SucceededCount(), 1);
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
    request.Parameters.OutputLocation = olFolder;
    request.Parameters.DestinationFolder = work.path() + QLatin1Char('/');
    request.Parameters.DeleteAfterConversion = true;
    const QString log = source(QStringLiteral("first.mp4.log"), "log");
    // Stop at the first progress shown: the encoder has written part of its output and hangs.
    view.onFileProgress = [this](int position) {
        if (position > 0 && !batch.Stopped()) {
            EXPECT_EQ(encoderLeftovers(work.path()).size(), 1);
            batch.Stop();
        }
    };
    start();

    EXPECT_TRUE(batch.Stopped());
    EXPECT_EQ(encoderLeftovers(work.path()), QStringList());
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/first.mp4")));
    // A file of the user's beside the output is not the run's log: it stays.
    EXPECT_EQ(readFile(log), QByteArray("log"));
    // The stopped run's own log is gone from the log folder.
    EXPECT_EQ(QDir(request.LogFolder).entryList(QDir::Files), QStringList());
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
    request.Parameters.DeleteAfterConversion = true;
    QFile::remove(program.path() + QStringLiteral("encoder/encoder"));
    start();
    ASSERT_EQ(prompts.summaries.size(), 1);
    EXPECT_EQ(prompts.summaries[0].Failed, 2);
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_TRUE(batch.Statuses()[0].Detail.contains(QStringLiteral("could not be started")));
    EXPECT_EQ(batch.Statuses()[0].Reason, QStringLiteral("the encoder program could not be started"));
    EXPECT_TRUE(batch.Statuses()[1].Detail.contains(QStringLiteral("is not a valid integer value")));
    EXPECT_EQ(batch.Statuses()[1].Reason, QStringLiteral("the file's frame size or running time could not be read"));
}

TEST_F(BatchTest, EveryFileSkippedOpensNoFolder)
{
    const QString a = source(QStringLiteral("a.avi"));
    source(QStringLiteral("a.mp4"), "exists");
    list({mediaRecord(a, "00:00:01.00")});
    request.Parameters.OverwriteMode = omSkip;
    request.Parameters.OutputLocation = olFolder;
    request.Parameters.DestinationFolder = work.path() + QLatin1Char('/');
    start();
    EXPECT_EQ(batch.ConvertedCount(), 0);
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
    request.Parameters.OverwriteMode = omSkip;
    request.Parameters.OutputLocation = olFolder;
    request.Parameters.DestinationFolder = work.path() + QStringLiteral("/out/");
    start();

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
    ASSERT_EQ(batch.Statuses().size(), std::size(expected));
    for (qsizetype i = 0; i < batch.Statuses().size(); ++i) {
        SCOPED_TRACE(batch.Statuses()[i].SourcePath.toStdString());
        // The window was told of every change, the last being the one the batch ended with.
        EXPECT_EQ(StatusText(view.statuses.value(static_cast<int>(i))), expected[i].text);
        EXPECT_EQ(StatusText(batch.Statuses()[i]), expected[i].text);
        EXPECT_EQ(batch.Statuses()[i].State, expected[i].state);
        EXPECT_EQ(batch.Statuses()[i].OutputPath, expected[i].output);
        // Every file waited first; the converted ones showed their progress.
        EXPECT_EQ(countOf(QStringLiteral("status %1 Waiting").arg(i)), 1);
    }
    EXPECT_GE(countOf(QStringLiteral("status 0 Converting 50%")), 1);

    // The failed run's whole encoder output is in its log; a file that did not run has none.
    const TFileStatus& failed = batch.Statuses()[1];
    EXPECT_EQ(failed.Detail, QStringLiteral("Error: cannot write to the output file: No space left on device"));
    QFile log(failed.LogPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << failed.LogPath.toStdString();
    const QByteArray logText = log.readAll();
    EXPECT_TRUE(logText.contains("time=0.5 bitrate"));
    EXPECT_TRUE(logText.contains("Error[disk-full]: cannot write to the output file: No space left on device"));
    EXPECT_TRUE(logText.contains("Exit status: 1"));
    EXPECT_TRUE(batch.Statuses()[2].LogPath.isEmpty());
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
    // The file being converted: one job runs at a time.
    auto converting = [this] {
        const QList<TFileStatus>& statuses = batch.Statuses();
        for (qsizetype i = 0; i < statuses.size(); ++i) {
            if (statuses[i].State == TFileState::Converting)
                return static_cast<int>(i);
        }
        return -1;
    };
    QElapsedTimer holding; // a guard: an encoder that is never held fails the test instead of hanging it
    view.onFileProgress = [&](int position) {
        if (position == 0 || step != Step::Running || batch.Paused() || batch.Stopped())
            return;
        if (converting() == 0 && resumed > 0)
            return; // the first file is held once only
        batch.Pause();
        pid = program.receivedPid();
        elapsedAtPause = batch.ElapsedSeconds();
        ticksAtPause = batch.EstimateTicks();
        step = Step::Holding;
        holding.start();
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (step == Step::Holding && processState(pid) != 'T' && holding.elapsed() > 20000) {
            ADD_FAILURE() << "the encoder was not held";
            step = Step::Stopping;
            batch.Stop();
        }
        if (step != Step::Holding || processState(pid) != 'T')
            return;
        // Held: neither clock counts.
        EXPECT_FALSE(batch.ClocksRunning());
        EXPECT_EQ(batch.ElapsedSeconds(), elapsedAtPause);
        EXPECT_EQ(batch.EstimateTicks(), ticksAtPause);
        if (converting() == 0) {
            ++resumed;
            step = Step::Running;
            batch.Resume();
            EXPECT_TRUE(batch.ClocksRunning());
            EXPECT_NE(processState(pid), 'T');
        } else {
            step = Step::Stopping;
            batch.Stop(); // while held
        }
    });
    poll.start(5);
    start();

    EXPECT_EQ(resumed, 1);
    EXPECT_EQ(step, Step::Stopping);
    EXPECT_EQ(batch.Statuses()[0].State, TFileState::Done);
    EXPECT_EQ(batch.Statuses()[1].State, TFileState::Stopped);
    EXPECT_EQ(processState(pid), 0); // the held encoder was ended and reaped
    EXPECT_EQ(encoderLeftovers(work.path()), QStringList());
    EXPECT_FALSE(batch.Paused());
}

// Delete-after removes the source only while it is still the file that was converted: one saved
// over it while it converted stays.
TEST_F(BatchTest, DeleteAfterKeepsASourceReplacedWhileItConverted)
{
    program.setScript(
        {QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("touch"), QStringLiteral("exit 0")});
    const QString replaced = source(QStringLiteral("replaced.avi"), "the first take");
    const QString kept = source(QStringLiteral("kept.avi"));
    list({mediaRecord(replaced, "00:00:01.00"), mediaRecord(kept, "00:00:01.00")});
    request.Parameters.DeleteAfterConversion = true;
    bool savedOver = false;
    view.onFileProgress = [&](int position) {
        if (position > 0 && !savedOver) {
            savedOver = true;
            writeFile(replaced + QStringLiteral(".new"), "the second take");
            ASSERT_TRUE(QFile::remove(replaced));
            ASSERT_TRUE(QFile::rename(replaced + QStringLiteral(".new"), replaced));
        }
    };
    start();

    ASSERT_TRUE(savedOver);
    EXPECT_EQ(batch.Statuses()[0].State, TFileState::Done);
    EXPECT_EQ(readFile(replaced), QByteArray("the second take"));
    EXPECT_FALSE(QFile::exists(kept)); // unchanged: deleted as asked
}

// An encoder killed from outside leaves its temporary file under its hidden name; the driver
// removes exactly that, nothing of another process and nothing that is not a plain file.
TEST_F(BatchTest, KilledEncoderLeavesNothingBehind)
{
    program.setScript(
        {QStringLiteral("partial"), QStringLiteral("pid"),
         QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("hang")});
    const QString clip = source(QStringLiteral("clip.avi"));
    list({mediaRecord(clip, "00:00:05.00")});
    const QString others = writeFile(work.path() + QStringLiteral("/.kovirta-1-0.part"), "another run's");
    view.onFileProgress = [&](int position) {
        if (position == 0)
            return;
        const qint64 pid = program.receivedPid();
        ASSERT_GT(pid, 0);
        // A link under a name of the same process is not the encoder's file.
        QFile::link(clip, work.path() + QStringLiteral("/.kovirta-%1-1.part").arg(pid));
        kill(static_cast<pid_t>(pid), SIGKILL);
    };
    start();

    EXPECT_EQ(batch.Statuses()[0].State, TFileState::Failed);
    const QStringList left = encoderLeftovers(work.path());
    EXPECT_EQ(left.size(), 2) << left.join(u' ').toStdString();
    EXPECT_TRUE(left.contains(QStringLiteral(".kovirta-1-0.part")));
    EXPECT_EQ(readFile(others), QByteArray("another run's"));
    EXPECT_EQ(readFile(clip), QByteArray("video"));
}

// A driver that goes away while its encoder runs ends it and removes what it left under its
// hidden name, as Stop does; the source and the output's name are not touched.
TEST_F(BatchTest, DriverGoingAwayRemovesWhatItsEncoderLeft)
{
    program.setScript(
        {QStringLiteral("partial"), QStringLiteral("pid"),
         QStringLiteral("err frame=    1 fps=  0 q=2.0 size=       1kB time=0.5 bitrate=   1.0kbits/s\\r"),
         QStringLiteral("hang")});
    const QString clip = source(QStringLiteral("clip.avi"));
    list({mediaRecord(clip, "00:00:05.00")});
    auto going = std::make_unique<TBatchConversion>(program.path(), prompts);
    QEventLoop loop;
    QObject::connect(going.get(), &TBatchConversion::fileProgressChanged, &loop, [&](int position) {
        if (position > 0)
            loop.quit();
    });
    QObject::connect(going.get(), &TBatchConversion::finished, &loop, &QEventLoop::quit);
    going->Start(request);
    loop.exec();
    ASSERT_TRUE(going->Running());
    const qint64 pid = program.receivedPid();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(encoderLeftovers(work.path()).size(), 1);

    going.reset();
    EXPECT_EQ(processState(pid), 0); // ended and reaped
    EXPECT_EQ(encoderLeftovers(work.path()), QStringList());
    EXPECT_EQ(readFile(clip), QByteArray("video"));
    EXPECT_FALSE(QFile::exists(work.path() + QStringLiteral("/clip.mp4")));
}

TEST(OutputNames, WhatCountsAsTaken)
{
    QTemporaryDir dir;
    const QString w = dir.path();
    writeFile(w + QStringLiteral("/full.mp4"), "video");
    writeFile(w + QStringLiteral("/empty.mp4"), "");
    QDir(w).mkpath(QStringLiteral("folder.mp4"));
    QFile::link(w + QStringLiteral("/folder.mp4"), w + QStringLiteral("/to-folder.mp4"));
    QFile::link(w + QStringLiteral("/nowhere"), w + QStringLiteral("/broken.mp4"));
    const struct {
        const char* name;
        bool taken;
        bool folder;
    } cases[] = {
        {"missing.mp4", false, false}, {"empty.mp4", false, false},   {"full.mp4", true, false},
        {"folder.mp4", true, true},    {"to-folder.mp4", true, true}, {"broken.mp4", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = w + QLatin1Char('/') + QLatin1String(c.name);
        EXPECT_EQ(IsOutputNameTaken(path), c.taken);
        EXPECT_EQ(IsFolderInTheWay(path), c.folder);
    }
}

// A folder under the output's name is never asked about nor written over: every mode but
// rename skips the file, rename passes the folder by.
TEST_F(BatchTest, FolderUnderTheOutputsNameIsPassedOrSkipped)
{
    program.setScript({QStringLiteral("touch")});
    for (const TOverwriteMode mode : {omAsk, omReplace, omSkip, omNewName}) {
        SCOPED_TRACE(static_cast<int>(mode));
        QTemporaryDir folder;
        const QString clip = writeFile(folder.path() + QStringLiteral("/clip.avi"), "video");
        writeFile(folder.path() + QStringLiteral("/clip.mp4/inside.txt"), "kept");
        FakePrompts answers;
        RecordingView shown;
        TBatchConversion run(program.path(), answers);
        ConnectProgressView(run, shown);
        TBatchRequest folderRequest = request;
        folderRequest.LogFolder = folder.path() + QStringLiteral("/logs");
        folderRequest.Parameters.OverwriteMode = mode;
        folderRequest.Files = {mediaRecord(clip, "00:00:01.00")};
        runBatch(run, folderRequest);
        EXPECT_TRUE(answers.overwriteQuestions.isEmpty());
        EXPECT_EQ(readFile(folder.path() + QStringLiteral("/clip.mp4/inside.txt")), QByteArray("kept"));
        if (mode == omNewName) {
            EXPECT_EQ(run.Statuses()[0].State, TFileState::Done);
            EXPECT_EQ(run.Statuses()[0].OutputPath, folder.path() + QStringLiteral("/clip_1.mp4"));
        } else {
            EXPECT_EQ(run.Statuses()[0].State, TFileState::Skipped);
            EXPECT_EQ(run.Statuses()[0].Reason, SkipReason(TSkipCause::FolderInTheWay));
        }
    }
}

namespace {

// Answers "Yes" to the overwrite question, but stops the batch while it waits for the answer.
class StoppingPrompts : public FakePrompts {
public:
    TOverwriteAnswer AskOverwrite(const QString& fileName) override
    {
        FakePrompts::AskOverwrite(fileName);
        batch->Stop();
        return oaYes;
    }
    TBatchConversion* batch = nullptr;
};

} // namespace

// Stop while a question waits: nothing more starts, whatever the answer.
TEST_F(BatchTest, StopWhileAskingStartsNothing)
{
    program.setScript({QStringLiteral("log"), QStringLiteral("touch")});
    const QString clip = source(QStringLiteral("clip.avi"));
    source(QStringLiteral("clip.mp4"), "old");
    request.Files = {mediaRecord(clip, "00:00:01.00"), mediaRecord(source(QStringLiteral("next.avi")), "00:00:01.00")};
    request.Parameters.OverwriteMode = omAsk;
    StoppingPrompts asking;
    TBatchConversion stopped(program.path(), asking);
    asking.batch = &stopped;
    runBatch(stopped, request);
    EXPECT_EQ(asking.overwriteQuestions.size(), 1);
    EXPECT_TRUE(stopped.Stopped());
    EXPECT_EQ(stopped.ConvertedCount(), 0);
    EXPECT_TRUE(program.loggedRuns().isEmpty());
    for (const TFileStatus& status : stopped.Statuses())
        EXPECT_EQ(status.State, TFileState::Stopped);
    EXPECT_TRUE(asking.summaries.isEmpty());
}

// How a run ended, read from the encoder's exit status and the code of its last error line.
TEST(EncoderRun, OutcomeFromExitStatusAndReasonCode)
{
    FakeProgramDir program;
    QTemporaryDir logs;
    struct Case {
        const char* what;
        QStringList script;
        int exitCode;
        const char* code;
        const char* text;
    };
    const Case cases[] = {
        {"complete", {QStringLiteral("err time=1.0 \\r")}, 0, "", ""},
        {"the encoder's reason",
         {QStringLiteral("err \\nError[disk-full]: cannot write: No space left on device\\n"),
          QStringLiteral("exit 1")},
         1,
         "disk-full",
         "cannot write: No space left on device"},
        {"the last error line counts",
         {QStringLiteral("err Error[stalled]: first\\n"), QStringLiteral("err Error[source-damaged]: second\\n"),
          QStringLiteral("exit 3")},
         3,
         "source-damaged",
         "second"},
        {"a status without a line", {QStringLiteral("exit 2")}, 2, "encoder-ended", "the encoder ended with status 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        program.setScript(c.script);
        TEncoderRun run;
        std::optional<TRunOutcome> outcome;
        QEventLoop loop;
        QObject::connect(&run, &TEncoderRun::finished, &loop, [&](const TRunOutcome& o) {
            outcome = o;
            loop.quit();
        });
        ASSERT_TRUE(run.Start(program.path() + QStringLiteral("encoder/encoder"),
                              {QStringLiteral("-i"), QStringLiteral("x")}, logs.path(), QStringLiteral("/v/x.avi"),
                              QStringLiteral("/v/x.mp4"), false));
        loop.exec();
        ASSERT_TRUE(outcome);
        EXPECT_TRUE(outcome->Started);
        EXPECT_EQ(outcome->ExitCode, c.exitCode);
        EXPECT_EQ(outcome->Error.Code, QString::fromLatin1(c.code));
        EXPECT_EQ(outcome->Error.Text, QString::fromLatin1(c.text));
        EXPECT_TRUE(QFile::exists(outcome->LogPath));
    }

    // Status lines that gathered in the pipe are each read for their time.
    program.setScript({QStringLiteral("err frame=1 time=1.0 b\\rframe=2 time=2.0 b\\rframe=3 time=3.0 b\\r")});
    TEncoderRun lines;
    QList<qint32> times;
    QEventLoop linesRead;
    QObject::connect(&lines, &TEncoderRun::timeRead, [&](const TChunkTime& time) {
        if (time.HasValue)
            times.append(time.Tenths);
    });
    QObject::connect(&lines, &TEncoderRun::finished, &linesRead, &QEventLoop::quit);
    ASSERT_TRUE(lines.Start(program.path() + QStringLiteral("encoder/encoder"), {}, logs.path(),
                            QStringLiteral("/v/x.avi"), QStringLiteral("/v/x.mp4"), false));
    linesRead.exec();
    EXPECT_EQ(times, (QList<qint32>{10, 20, 30}));

    // A program that cannot start ends the run all the same, from the event loop.
    TEncoderRun missing;
    std::optional<TRunOutcome> outcome;
    QObject::connect(&missing, &TEncoderRun::finished, [&](const TRunOutcome& o) { outcome = o; });
    EXPECT_FALSE(missing.Start(program.path() + QStringLiteral("none"), {}, logs.path(), {}, {}, false));
    EXPECT_FALSE(outcome);
    QEventLoop loop;
    QObject::connect(&missing, &TEncoderRun::finished, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->Started);
    EXPECT_EQ(outcome->Error.Code, QStringLiteral("encoder-not-started"));
}
