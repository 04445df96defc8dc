#include "core/media/file_info_panel.h"
#include "core/media/file_list_control.h"
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
        QStringList script;
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
    QStringList exportedPaths() const
    {
        QStringList p;
        for (const TFileInfo& info : manager.ExportInfos())
            p << info.FilePath;
        return p;
    }

    QTemporaryDir dir;
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
