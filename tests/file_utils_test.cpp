#include "core/media/file_utils.h"
#include "core/media/video_formats.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <utility>

namespace {

// Runs a test under a fixed POSIX time zone and restores the previous one.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_hadOld = old != nullptr;
        if (old)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZoneScope()
    {
        if (m_hadOld)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_hadOld = false;
    std::string m_old;
};

qint64 fileTimeOfUtc(int y, int mo, int d, int h, int mi)
{
    return DateTimeToFileTime(QDateTime(QDate(y, mo, d), QTime(h, mi), Qt::UTC));
}

} // namespace

TEST(FileSizeOf, ZeroMeansAbsentAndLargeSizesAreWhole)
{
    QTemporaryDir dir;
    EXPECT_EQ(FileSizeOf(dir.path() + QStringLiteral("/missing.avi")), 0);
    EXPECT_EQ(FileSizeOf(writeFile(dir.path() + QStringLiteral("/empty.avi"), {})), 0);
    EXPECT_EQ(FileSizeOf(dir.path()), 0);
    EXPECT_EQ(FileSizeOf(QString()), 0);
    EXPECT_EQ(FileSizeOf(writeFile(dir.path() + QStringLiteral("/three.avi"), "abc")), 3);

    // A sparse file past 4 GiB takes no disk space but must report its whole size.
    QFile big(dir.path() + QStringLiteral("/big.avi"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    const qint64 size = 5LL * 1024 * 1024 * 1024 + 7;
    ASSERT_TRUE(big.resize(size));
    big.close();
    EXPECT_EQ(FileSizeOf(big.fileName()), size);
}

TEST(FileTimes, LocalTimeFollowsTheZoneRulesOfTheDate)
{
    {
        TimeZoneScope zone("UTC-1"); // one hour ahead of UTC, no daylight saving
        EXPECT_EQ(FileTimeToLocalDateTime(fileTimeOfUtc(2025, 12, 31, 23, 30))
                      .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                  QStringLiteral("2026-01-01 00:30:00"));
    }
    TimeZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    EXPECT_EQ(FileTimeToLocalDateTime(fileTimeOfUtc(2025, 7, 1, 12, 0)).time(), QTime(14, 0));
    EXPECT_EQ(FileTimeToLocalDateTime(fileTimeOfUtc(2025, 1, 1, 12, 0)).time(), QTime(13, 0));
}

TEST(FileTimes, CreationTextAndCopiedTimes)
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.path() + QStringLiteral("/src.avi"), "source");
    const QString target = writeFile(dir.path() + QStringLiteral("/dst.mp4"), "target");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(FileCreationDateText(source))
                    .hasMatch());
    EXPECT_EQ(FileCreationDateText(dir.path() + QStringLiteral("/missing.avi")), QString());

    const QDateTime old(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    {
        QFile file(source);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileModificationTime));
        ASSERT_TRUE(file.setFileTime(old, QFileDevice::FileAccessTime));
    }
    CopyFileTimes(source, target);
    const QFileInfo copied(target);
    EXPECT_EQ(copied.lastModified().toUTC(), old);
    EXPECT_EQ(copied.lastRead().toUTC(), old);

    // Nothing to copy from, or to: no change, no new file.
    CopyFileTimes(dir.path() + QStringLiteral("/missing.avi"), target);
    EXPECT_EQ(QFileInfo(target).lastModified().toUTC(), old);
    CopyFileTimes(source, dir.path() + QStringLiteral("/absent.mp4"));
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("/absent.mp4")));
}

TEST(FindFiles, MasksCaseAndDepthFirstPreOrder)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    for (const char* name : {"a.avi", "c.mpg", "clip.avi.part", ".hidden.AVI", "sub/b.AVI", "sub/deeper/x.avi",
                             "sub/note.txt", "other/y.Avi"})
        writeFile(root + QLatin1Char('/') + QLatin1String(name), "x");
    QDir(root).mkpath(QStringLiteral("folder.avi"));

    QStringList found;
    FindFiles(QStringLiteral("*.avi"), root, true, found);
    QStringList expected;
    for (const char* name : {"a.avi", ".hidden.AVI", "sub/b.AVI", "sub/deeper/x.avi", "other/y.Avi", "folder.avi"})
        expected << root + QLatin1Char('/') + QLatin1String(name);
    EXPECT_EQ(QStringList(found).size(), expected.size());
    QStringList sortedFound = found, sortedExpected = expected;
    sortedFound.sort();
    sortedExpected.sort();
    EXPECT_EQ(sortedFound, sortedExpected);

    // Pre-order: everything below sub/ stands together, with deeper/ inside that run.
    const QString sub = root + QStringLiteral("/sub/");
    const auto first = std::find_if(found.begin(), found.end(), [&](const QString& p) { return p.startsWith(sub); });
    ASSERT_NE(first, found.end());
    EXPECT_TRUE((first + 1)->startsWith(sub));

    QStringList withSlash;
    FindFiles(QStringLiteral("*.avi"), root + QLatin1Char('/'), true, withSlash);
    EXPECT_EQ(withSlash, found);

    QStringList flat;
    FindFiles(QStringLiteral("*.AVI"), root, false, flat);
    flat.sort();
    QStringList expectedFlat{root + QStringLiteral("/.hidden.AVI"), root + QStringLiteral("/a.avi"),
                             root + QStringLiteral("/folder.avi")};
    EXPECT_EQ(flat, expectedFlat);

    QStringList oneChar;
    FindFiles(QStringLiteral("?.avi"), root + QStringLiteral("/sub"), true, oneChar);
    oneChar.sort();
    EXPECT_EQ(oneChar, (QStringList{root + QStringLiteral("/sub/b.AVI"), root + QStringLiteral("/sub/deeper/x.avi")}));

    QStringList none{QStringLiteral("kept")};
    FindFiles(QStringLiteral("*.avi"), root + QStringLiteral("/missing"), true, none);
    FindFiles(QStringLiteral("*.avi"), QString(), true, none);
    EXPECT_EQ(none, QStringList{QStringLiteral("kept")});
}

TEST(UrlEncode, BytesOutsideTheSafeSetAreEncoded)
{
    struct Case {
        const char* text;
        const char* encoded;
    };
    for (const Case& c : {Case{"a b&c", "a%20b%26c"}, Case{"~/&+", "%7E%2F%26%2B"}, Case{"line\n", "line%0A"},
                          Case{"AZaz09-._", "AZaz09-._"}, Case{"", ""}, Case{"\xc3\xa9", "%C3%A9"}})
        EXPECT_EQ(UrlEncode(QString::fromUtf8(c.text)), QString::fromLatin1(c.encoded)) << c.text;
}

TEST(FindFiles, LinkedFoldersAreNotEntered)
{
    // A link from a subfolder back to the top: followed, it would list every file again at every turn.
    QTemporaryDir dir;
    const QString root = dir.path();
    writeFile(root + QStringLiteral("/a.avi"), "x");
    writeFile(root + QStringLiteral("/sub/b.avi"), "x");
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("/sub/loop")));
    QStringList found;
    FindFiles(QStringLiteral("*.avi"), root, true, found);
    found.sort();
    EXPECT_EQ(found, (QStringList{root + QStringLiteral("/a.avi"), root + QStringLiteral("/sub/b.avi")}));
}

TEST(FindFilesWithExtensions, NameOrderFolderByFolder)
{
    QTemporaryDir dir;
    const QString root = dir.path() + QLatin1Char('/');
    for (const char* name : {"clip10.avi", "b.MKV", "sub/c.mkv", "x.m2ts", "Clip2.ts", "note.txt", ".hidden/d.webm",
                             "avi", "clip.avi.part", "a/z.avi", "sub/a.avi"})
        writeFile(root + QLatin1String(name), "x");
    QDir(root).mkpath(QStringLiteral("folder.avi"));
    ASSERT_TRUE(QFile::link(root, root + QStringLiteral("sub/loop")));
    ASSERT_TRUE(QFile::link(root + QStringLiteral("b.MKV"), root + QStringLiteral("sub/link.mkv")));

    const QStringList extensions{QStringLiteral("avi"), QStringLiteral("mkv"), QStringLiteral("ts"),
                                 QStringLiteral("m2ts"), QStringLiteral("webm")};
    // A folder's own files by name, then its subfolders by name; a linked file is a file, a linked
    // folder is not walked.
    QStringList expected;
    for (const char* name : {"b.MKV", "Clip2.ts", "clip10.avi", "x.m2ts", ".hidden/d.webm", "a/z.avi", "sub/a.avi",
                             "sub/c.mkv", "sub/link.mkv"})
        expected << root + QLatin1String(name);
    EXPECT_EQ(FindFilesWithExtensions(dir.path(), extensions), expected);

    EXPECT_TRUE(FindFilesWithExtensions(root, extensions, [] { return true; }).isEmpty());
    EXPECT_TRUE(FindFilesWithExtensions(root + QStringLiteral("missing"), extensions).isEmpty());
}

TEST(NaturalNameLess, ReadsDigitsAsNumbers)
{
    const TextList ordered{"1.avi",      "01b.avi",     "2.avi",        "a.avi",       "B.avi", "clip2.avi",
                           "Clip10.avi", "clip10a.avi", "clip010b.avi", "clip100.avi", "z"};
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        for (qsizetype j = 0; j < ordered.size(); ++j)
            EXPECT_EQ(NaturalNameLess(ordered[i], ordered[j]), i < j)
                << ordered[i].toStdString() << " " << ordered[j].toStdString();
    }
    // Names equal but for case or leading zeros: one order, either way round.
    for (const auto& [a, b] : {std::pair{"Clip.avi", "clip.avi"}, std::pair{"v01.avi", "v1.avi"}})
        EXPECT_NE(NaturalNameLess(QLatin1String(a), QLatin1String(b)),
                  NaturalNameLess(QLatin1String(b), QLatin1String(a)));
}

TEST(VideoFormats, TheDialogAndTheFolderSearchTakeTheSameFiles)
{
    const QStringList extensions = VideoExtensions();
    for (const char* extension :
         {"3g2",  "3gp", "avi",  "asf", "flv", "m4v",  "mov", "mp4", "vob",  "vcd",  "wmv", "mkv",
          "webm", "ts",  "m2ts", "mts", "mpg", "mpeg", "ogv", "ogg", "divx", "xvid", "3gpp"})
        EXPECT_TRUE(extensions.contains(QLatin1String(extension))) << extension;
    // The groups of a folder's files begin in the order they always had.
    EXPECT_EQ(extensions.mid(0, 10),
              (QStringList{QStringLiteral("3g2"), QStringLiteral("3gp"), QStringLiteral("avi"), QStringLiteral("asf"),
                           QStringLiteral("flv"), QStringLiteral("m4v"), QStringLiteral("mp4"), QStringLiteral("vob"),
                           QStringLiteral("vcd"), QStringLiteral("wmv")}));

    const QStringList pairs = OpenDialogFilter().split(QLatin1Char('|'));
    ASSERT_EQ(pairs.size() % 2, 0);
    EXPECT_EQ(pairs[0], QStringLiteral("All Supported Formats"));
    QStringList all = pairs[1].split(QLatin1Char(';'));
    QStringList expectedAll;
    for (const QString& extension : extensions)
        expectedAll << QStringLiteral("*.") + extension;
    EXPECT_EQ(all, expectedAll);
    // Every format's own patterns are among them, and all files come last.
    for (qsizetype i = 2; i + 2 < pairs.size(); i += 2) {
        for (const QString& pattern : pairs[i + 1].split(QLatin1Char(';')))
            EXPECT_TRUE(all.removeOne(pattern)) << pairs[i].toStdString() << ' ' << pattern.toStdString();
    }
    EXPECT_TRUE(all.isEmpty()) << all.join(QLatin1Char(' ')).toStdString();
    EXPECT_EQ(pairs.mid(pairs.size() - 2), (QStringList{QStringLiteral("(*.*) All Files"), QStringLiteral("*.*")}));
}
