#include "core/media/add_report.h"
#include "core/media/file_info_panel.h"
#include "core/media/file_list_control.h"
#include "core/media/file_list_loader.h"
#include "core/media/file_list_manager.h"
#include "fake_prompts.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A list control in memory: rows of three cells and a selection.
class FakeListControl : public TFileListControl {
public:
    struct Row {
        QString caption, name, duration;
        bool selected = false;
    };
    int RowCount() const override { return static_cast<int>(rows.size()); }
    QString RowCaption(int row) const override { return rows[row].caption; }
    void SetRowCaption(int row, const QString& caption) override { rows[row].caption = caption; }
    void AppendRow(const QString& caption, const QString& name, const QString& duration) override
    {
        rows.append({caption, name, duration});
    }
    void DeleteRow(int row) override { rows.removeAt(row); }
    void DeleteAllRows() override { rows.clear(); }
    bool IsRowSelected(int row) const override { return rows[row].selected; }

    void select(std::initializer_list<int> which)
    {
        for (Row& r : rows)
            r.selected = false;
        for (int i : which)
            rows[i].selected = true;
    }
    QStringList names() const
    {
        QStringList n;
        for (const Row& r : rows)
            n << r.name;
        return n;
    }
    QStringList captions() const
    {
        QStringList c;
        for (const Row& r : rows)
            c << r.caption;
        return c;
    }
    QList<Row> rows;
};

// Files named f1.avi ... fN.avi whose fake probe reports a duration of N minutes.
class FileListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        script << QStringLiteral("log");
        for (int i = 1; i <= 5; ++i) {
            const QString name = QStringLiteral("f%1.avi").arg(i);
            script << QStringLiteral("when %1 err   Duration: 00:0%2:00.00, start: 0.000000, bitrate: 100 kb/s\\n")
                          .arg(name)
                          .arg(i)
                   << QStringLiteral("when %1 err     Stream #0.0: Video: mpeg4, yuv420p, 640x480, 25.00 fps(r)\\n")
                          .arg(name);
            paths << writeFile(dir.path() + QLatin1Char('/') + name, "video");
        }
        script << QStringLiteral("when half err   Duration: 00:00:30.50, start: 0.0, bitrate: 1 kb/s\\n")
               << QStringLiteral("when half err     Stream #0.0: Video: h264, yuv420p, 320x240, 25.00 fps(r)\\n");
        program.setScript(script);
        manager.SetListView(&list);
    }
    // Runs the fixture's script with steps of a test's own before it.
    void scriptFirst(const QStringList& steps) const { program.setScript(steps + script); }
    QStringList exportedPaths() const
    {
        QStringList p;
        for (const TFileInfo& info : manager.ExportInfos())
            p << info.FilePath;
        return p;
    }

    QTemporaryDir dir;
    QStringList script;
    FakeProgramDir program;
    FakePrompts prompts;
    FakeListControl list;
    TFileInfoManager manager{program.path(), prompts};
    QStringList paths;
};

} // namespace

TEST_F(FileListTest, AddRemoveAndExport)
{
    manager.AddFiles(paths.mid(0, 3));
    EXPECT_EQ(list.captions(), (TextList{"1", "2", "3"}));
    EXPECT_EQ(list.rows[1].name, QStringLiteral("f2.avi"));
    EXPECT_EQ(list.rows[1].duration, QStringLiteral("00:02:00"));
    EXPECT_EQ(manager.AddFile(dir.path() + QStringLiteral("/missing.avi")), TFileInfoManager::Refused);
    EXPECT_EQ(list.RowCount(), 3);

    list.select({1});
    manager.RemoveSelected();
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f3.avi"}));
    EXPECT_EQ(list.captions(), (TextList{"1", "2"}));
    EXPECT_EQ(exportedPaths(), (QStringList{paths[0], paths[2], QString()}));
    EXPECT_EQ(manager.TotalDuration(), 600 + 1800);
    TFileInfo info;
    manager.FindInfo(1, info);
    EXPECT_EQ(info.FilePath, paths[2]);
}

TEST_F(FileListTest, RemoveSeveralAndReorder)
{
    manager.AddFiles(paths);
    list.select({1, 2});
    manager.RemoveSelected();
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f4.avi", "f5.avi"}));

    // A drag put the third row first: rows C, A, B with their old numbers 3, 1, 2.
    list.rows.move(2, 0);
    manager.Renumber();
    EXPECT_EQ(list.captions(), (TextList{"1", "2", "3"}));
    for (int row = 0; row < 3; ++row) {
        TFileInfo info;
        manager.FindInfo(row, info);
        EXPECT_EQ(info.FileName, list.rows[row].name);
    }
    EXPECT_EQ(exportedPaths(), (QStringList{paths[4], paths[0], paths[3], QString()}));
}

TEST_F(FileListTest, ClearStartsNumberingAgainAndEmptyExport)
{
    manager.AddFiles(paths.mid(0, 2));
    manager.Clear();
    EXPECT_EQ(manager.ExportInfos().size(), 1);
    EXPECT_EQ(manager.ExportInfos()[0], TFileInfo{});
    EXPECT_EQ(manager.TotalDuration(), 0);
    manager.AddFile(paths[3]);
    EXPECT_EQ(list.captions(), TextList{"1"});
    EXPECT_EQ(manager.Entries.size(), 1);
    EXPECT_EQ(manager.Entries[0].Number, 1);
}

TEST_F(FileListTest, TotalDurationInTenths)
{
    const QString half = writeFile(dir.path() + QStringLiteral("/half.avi"), "x");
    manager.AddFiles({paths[0], half});
    EXPECT_EQ(manager.TotalDuration(), 905);
}

TEST_F(FileListTest, PlaylistsRoundTrip)
{
    manager.AddFiles(paths.mid(0, 2));
    const QString playlist = dir.path() + QStringLiteral("/list.m3u");
    manager.SaveToFile(playlist);
    QFile file(playlist);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), paths[0].toUtf8() + "\r\n" + paths[1].toUtf8() + "\r\n");
    file.close();

    // Loading appends; a header line, blank lines and missing files are refused silently.
    writeFile(playlist, "#EXTM3U\n" + paths[2].toUtf8() + "\r" + paths[3].toUtf8() + "\n\n/nowhere/x.avi");
    manager.LoadFromFile(playlist);
    manager.LoadFromFile(playlist);
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f2.avi", "f3.avi", "f4.avi", "f3.avi", "f4.avi"}));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

// Any name survives a playlist: one with line ends or other control characters (or one that
// would read as a comment) is written as a file:// URL and read back as itself, and a line is
// never taken from the working folder.
TEST(Playlist, NamesWithControlCharactersRoundTrip)
{
    QTemporaryDir dir;
    const QString folder = dir.path();
    const QStringList names{QStringLiteral("/plain name.avi"),  QStringLiteral("/a\nb.avi"),
                            QStringLiteral("/a\rb.avi"),        QStringLiteral("/tab\there.avi"),
                            QStringLiteral("/bell\x07.avi"),    QStringLiteral("/100% \u00e9t\u00e9\n.avi"),
                            QStringLiteral("/file:///x\n.avi"), QStringLiteral("/trailing blank.avi ")};
    QStringList paths;
    for (const QString& name : names)
        paths.append(folder + name);
    const QString playlist = folder + QStringLiteral("/list.m3u");
    TFileInfoManager::WritePlaylist(playlist, paths);
    EXPECT_EQ(TFileInfoManager::ReadPlaylist(playlist), paths);
    // One line a name: the file holds as many line ends as names.
    EXPECT_EQ(readFile(playlist).count("\r\n"), paths.size());
    EXPECT_TRUE(readFile(playlist).startsWith(QByteArray(QFile::encodeName(paths[0]) + "\r\n")));

    // A relative line is taken from the playlist's folder, whatever the working folder is.
    writeFile(playlist, "b.avi\r\nsub/c.avi\r\n");
    EXPECT_EQ(TFileInfoManager::ReadPlaylist(playlist),
              (QStringList{folder + QStringLiteral("/b.avi"), folder + QStringLiteral("/sub/c.avi")}));
}

TEST_F(FileListTest, EmptyListWritesNothingAndErrorsNameTheFile)
{
    const QString existing = writeFile(dir.path() + QStringLiteral("/preview.m3u"), "kept\r\nbytes");
    manager.SaveToFile(existing);
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("kept\r\nbytes"));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/none.m3u")));

    manager.AddFile(paths[0]);
    const QString unwritable = dir.path() + QStringLiteral("/no/such/folder/list.m3u");
    try {
        manager.SaveToFile(unwritable);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_TRUE(
            e.message().startsWith(QStringLiteral("Cannot create file \"") + unwritable + QStringLiteral("\". ")));
    }
    try {
        manager.LoadFromFile(unwritable);
        FAIL() << "no error";
    } catch (const EFileError& e) {
        EXPECT_TRUE(
            e.message().startsWith(QStringLiteral("Cannot open file \"") + unwritable + QStringLiteral("\". ")));
    }
    EXPECT_EQ(list.RowCount(), 1);
}

TEST_F(FileListTest, ProbeOutcomesSayWhyAFileIsLeftOut)
{
    scriptFirst({QStringLiteral("when audio err   Duration: 00:00:05.00, start: 0.0, bitrate: 64 kb/s\\n"),
                 QStringLiteral("when audio err     Stream #0.0: Audio: aac, 44100 Hz, stereo, 64 kb/s\\n"),
                 QStringLiteral("when broken err Error: cannot open the input file: Invalid data\\n"),
                 QStringLiteral("when web err Error[decoder-missing]: the video codec av1 cannot be decoded\\n"),
                 QStringLiteral("when badrate err   Duration: 00:00:05.00, start: 0.0, bitrate: N/A\\n")});
    struct Case {
        QString path;
        TRefusal refusal;
        const char* detail;
    };
    const Case cases[] = {
        {paths[0], TRefusal::None, ""},
        {dir.path() + QStringLiteral("/missing.avi"), TRefusal::NotFound, ""},
        {writeFile(dir.path() + QStringLiteral("/empty.avi"), {}), TRefusal::Empty, ""},
        {dir.path(), TRefusal::Folder, ""},
        {writeFile(dir.path() + QStringLiteral("/audio.avi"), "x"), TRefusal::NoVideo, ""},
        {writeFile(dir.path() + QStringLiteral("/broken.avi"), "x"), TRefusal::Unreadable,
         "cannot open the input file: Invalid data"},
        {writeFile(dir.path() + QStringLiteral("/web.mp4"), "x"), TRefusal::UndecodableVideo, "av1"},
        {writeFile(dir.path() + QStringLiteral("/badrate.avi"), "x"), TRefusal::Unreadable,
         "'N/A' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        const TProbeOutcome outcome = TFileInfoManager::ProbeFile(c.path, program.path());
        EXPECT_EQ(outcome.Path, c.path);
        EXPECT_EQ(outcome.Refusal, c.refusal) << c.path.toStdString();
        EXPECT_EQ(outcome.Detail, QString::fromLatin1(c.detail)) << c.path.toStdString();
    }
    // Only the files with something in them started the encoder.
    EXPECT_EQ(program.loggedRuns().size(), 5);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(AddReport, OneFileInASentenceSeveralInAList)
{
    TAddReport report;
    EXPECT_TRUE(report.Text().isEmpty());
    report.Add({QStringLiteral("/v/ok.avi"), {}, TRefusal::None, {}});
    EXPECT_TRUE(report.IsEmpty());
    report.Add({QStringLiteral("/v/clip.mp4"), {}, TRefusal::Unreadable, QStringLiteral("moov atom not found")});
    EXPECT_EQ(report.Text(),
              QStringLiteral("Sorry, the file format is unsupported or the file is broken: "
                             "/v/clip.mp4 (moov atom not found)"));
    const struct {
        TRefusal refusal;
        const char* path;
        const char* line;
    } more[] = {
        {TRefusal::NoVideo, "/v/song.mp3", "/v/song.mp3: the file has no video stream"},
        {TRefusal::NotFound, "/old/gone.avi", "/old/gone.avi: the file was not found"},
        {TRefusal::Empty, "/v/empty.avi", "/v/empty.avi: the file is empty"},
        {TRefusal::Folder, "/v/sub", "/v/sub: this is a folder, not a file"},
    };
    QString expected =
        QStringLiteral("5 files were not added:\n\n/v/clip.mp4: the file format is unsupported or the file is broken "
                       "(moov atom not found)");
    for (const auto& m : more) {
        report.Add({QString::fromLatin1(m.path), {}, m.refusal, {}});
        expected += QLatin1Char('\n') + QString::fromLatin1(m.line);
    }
    EXPECT_EQ(report.Text(), expected);
    // The reason of a file whose picture cannot be decoded names its codec.
    EXPECT_EQ(TAddReport::ReasonText(TRefusal::UndecodableVideo, QStringLiteral("av1")),
              QStringLiteral("the video codec av1 cannot be decoded"));
    TAddReport single;
    single.Add({QStringLiteral("/v/web.mp4"), {}, TRefusal::UndecodableVideo, QStringLiteral("av1")});
    EXPECT_EQ(single.Text(), QStringLiteral("Sorry, the video codec av1 cannot be decoded: /v/web.mp4"));
    // A long report lists the first ones and says how many more there are.
    for (int i = 0; i < 20; ++i)
        report.Add({QStringLiteral("/gone/%1.avi").arg(i), {}, TRefusal::NotFound, {}});
    const QStringList lines = report.Text().split(QLatin1Char('\n'));
    EXPECT_EQ(lines.constFirst(), QStringLiteral("25 files were not added:"));
    EXPECT_EQ(lines.size(), 2 + TAddReport::kMaxListed + 1);
    EXPECT_EQ(lines.constLast(), QStringLiteral("... and 5 more."));
}

TEST(AddReport, FilesAlreadyListedAreCountedAfterTheRefused)
{
    TAddReport report;
    report.AddAlreadyListed();
    EXPECT_FALSE(report.IsEmpty());
    EXPECT_FALSE(report.HasRefusals());
    EXPECT_EQ(report.Text(), QStringLiteral("1 file was already in the list and was not added again."));
    report.AddAlreadyListed();
    report.Add({QStringLiteral("/v/gone.avi"), {}, TRefusal::NotFound, {}});
    EXPECT_TRUE(report.HasRefusals());
    EXPECT_EQ(report.Text(),
              QStringLiteral("Sorry, the file was not found: /v/gone.avi\n\n"
                             "2 files were already in the list and were not added again."));
}

TEST_F(FileListTest, LoaderSkipsListedFilesUnlessToldToKeepThem)
{
    TFileListLoader loader(manager, program.path(), 2);
    QList<TAddReport> reports;
    QObject::connect(&loader, &TFileListLoader::finished,
                     [&](const TAddReport& report, bool) { reports.append(report); });
    loader.AddFiles({paths[0], paths[1]});
    // Joins the load under way: the file waiting to be probed counts as listed already.
    loader.AddFiles({paths[1], paths[2]});
    ASSERT_TRUE(waitUntil([&] { return !loader.IsLoading(); }));
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f2.avi", "f3.avi"}));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_EQ(reports[0].AlreadyListed(), 1);

    // Nothing new: said at once, nothing probed.
    const qsizetype runs = program.loggedRuns().size();
    loader.AddFiles({paths[0]});
    ASSERT_EQ(reports.size(), 2);
    EXPECT_EQ(reports[1].AlreadyListed(), 1);
    EXPECT_FALSE(loader.IsLoading());
    EXPECT_EQ(program.loggedRuns().size(), runs);

    loader.AddFiles({paths[0]}, TFileListLoader::TListed::Keep);
    ASSERT_TRUE(waitUntil([&] { return !loader.IsLoading(); }));
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f2.avi", "f3.avi", "f1.avi"}));
    EXPECT_EQ(reports.last().AlreadyListed(), 0);
}

TEST_F(FileListTest, LoaderListsInTheGivenOrderAndReportsOnce)
{
    scriptFirst({QStringLiteral("when f1.avi sleep 300")}); // the first probe ends last
    const QString missing = dir.path() + QStringLiteral("/missing.avi");
    const QString more = dir.path() + QStringLiteral("/more/");
    const QString inFolder = writeFile(more + QStringLiteral("f2.avi"), "video");
    writeFile(more + QStringLiteral("notes.txt"), "x");
    TFileListLoader loader(manager, program.path(), 3);
    QList<std::pair<TAddReport, bool>> reports;
    QObject::connect(&loader, &TFileListLoader::finished, [&](const TAddReport& report, bool cancelled) {
        reports.append({report, cancelled});
    });

    // Adds made while one is under way join it, a folder's files in the place of the folder.
    loader.AddFiles({paths[0], missing});
    loader.AddFolder(more, {QStringLiteral("avi")});
    loader.AddFiles({paths[2], paths[3]});
    EXPECT_TRUE(loader.IsLoading());
    ASSERT_TRUE(waitUntil([&] { return !loader.IsLoading(); }));
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f2.avi", "f3.avi", "f4.avi"}));
    EXPECT_EQ(list.captions(), (TextList{"1", "2", "3", "4"}));
    EXPECT_EQ(exportedPaths(), (QStringList{paths[0], inFolder, paths[2], paths[3], QString()}));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_FALSE(reports[0].second);
    ASSERT_EQ(reports[0].first.Count(), 1);
    EXPECT_EQ(reports[0].first.Refused()[0].Path, missing);
    EXPECT_EQ(reports[0].first.Refused()[0].Refusal, TRefusal::NotFound);
    EXPECT_EQ(program.loggedRuns().size(), 4); // the missing file started no encoder
}

TEST_F(FileListTest, CancelStopsTheLoadAndKeepsWhatWasListed)
{
    scriptFirst({QStringLiteral("when f3.avi hang")});
    TFileListLoader loader(manager, program.path(), 1);
    QList<bool> cancelled;
    QObject::connect(&loader, &TFileListLoader::finished,
                     [&](const TAddReport&, bool wasCancelled) { cancelled.append(wasCancelled); });
    loader.AddFiles(paths);
    ASSERT_TRUE(waitUntil([&] { return list.RowCount() == 2; }));
    EXPECT_EQ(loader.PendingPaths(), paths.mid(2));
    loader.Cancel();
    EXPECT_FALSE(loader.IsLoading());
    EXPECT_EQ(cancelled, QList<bool>{true});
    EXPECT_TRUE(loader.PendingPaths().isEmpty());

    // The hanging probe was ended, so the one worker takes the next add.
    loader.AddFiles({paths[4]});
    ASSERT_TRUE(waitUntil([&] { return !loader.IsLoading(); }));
    EXPECT_EQ(list.names(), (TextList{"f1.avi", "f2.avi", "f5.avi"}));
    EXPECT_EQ(cancelled, (QList<bool>{true, false}));
    EXPECT_FALSE(program.loggedRuns().join(QLatin1Char('\n')).contains(QStringLiteral("f4.avi")));
}

TEST(FileInfoPanel, TextsAndNumberFormats)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TFileInfo info;
    info.Duration = QStringLiteral("00:01:23.4");
    info.BitRate = 1234;
    info.FrameRate = 29.97;
    info.Channels = 0;
    info.SamplingRate = 44100;
    info.AudioBitRate = 128;
    info.FilePath = QStringLiteral("/v/a.avi");
    struct SizeCase {
        double mb;
        const char* text;
    };
    for (const SizeCase& c : {SizeCase{12.3456, "12.3 mb"}, SizeCase{123.456, "123. mb"}, SizeCase{1234.5, "1234 mb"},
                              SizeCase{0.5, "0.5 mb"}}) {
        info.SizeMb = c.mb;
        EXPECT_EQ(FileInfoPanelTexts(info).Size, QString::fromLatin1(c.text));
    }
    const TFileInfoPanelTexts t = FileInfoPanelTexts(info);
    EXPECT_EQ(t.VideoBitRate, QStringLiteral("1234 kbit/s"));
    EXPECT_EQ(t.FrameRate, QStringLiteral("29.97 fps"));
    EXPECT_EQ(t.Chanels, QStringLiteral("stereo"));
    EXPECT_EQ(t.Sampling, QStringLiteral("44100 Hz"));
    EXPECT_EQ(t.AudioBitRate, QStringLiteral("128 kbit/s"));
    info.Channels = 1;
    EXPECT_EQ(FileInfoPanelTexts(info).Chanels, QStringLiteral("mono"));
    QLocale::setDefault(QLocale::c());
}

// A portable copy keeps its list in its own folder; an installed, read-only program directory
// leaves it to the user's data folder, as does a list file there that may not be written.
TEST(KeptList, InTheProgramDirectoryOnlyWhileTheUserMayWriteThere)
{
    QTemporaryDir root;
    const QString programDir = root.path() + QStringLiteral("/program/");
    const QString dataFolder = root.path() + QStringLiteral("/data");
    ASSERT_TRUE(QDir().mkpath(programDir));
    const QString inProgramDir = programDir + QStringLiteral("preview.m3u");
    const QString inDataFolder = dataFolder + QStringLiteral("/preview.m3u");
    auto keptIn = [&](const QString& expected) {
        return asOrdinaryUser(root.path(), [&] { return KeptListPath(programDir, dataFolder) == expected; });
    };
    EXPECT_TRUE(keptIn(inProgramDir));

    writeFile(inProgramDir, "/videos/clip.avi\r\n");
    ASSERT_TRUE(QFile::setPermissions(inProgramDir, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    EXPECT_TRUE(keptIn(inDataFolder));

    const auto readOnlyFolder =
        QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
    ASSERT_TRUE(QFile::remove(inProgramDir));
    ASSERT_TRUE(QFile::setPermissions(programDir, readOnlyFolder));
    EXPECT_TRUE(keptIn(inDataFolder));
}
