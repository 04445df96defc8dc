// The look at where a batch will write, before it starts.
#include "core/conversion/output_folders.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(OutputFolders, WhichTypedFoldersAreOfferedToBeMade)
{
    QTemporaryDir dir;
    const QString root = dir.path();
    const QString file = writeFile(root + QStringLiteral("/file.txt"), "x");
    ASSERT_TRUE(QFile::link(root + QStringLiteral("/gone"), root + QStringLiteral("/dangling")));
    const struct {
        QString folder;
        bool made;
    } cases[] = {
        {root + QStringLiteral("/new"), true},
        {root + QStringLiteral("/new/deeper/still"), true},
        {root, false},                               // there already
        {file, false},                               // a file is there
        {root + QStringLiteral("/dangling"), false}, // a link to nothing is not followed into a folder
        {QStringLiteral("relative/out"), false},     // would land wherever the program was started
        {QString(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderCanBeMade(c.folder), c.made) << c.folder.toStdString();
}

TEST(OutputFolders, MakingAFolderSaysWhyItCouldNot)
{
    QTemporaryDir dir;
    const QString deep = dir.path() + QStringLiteral("/a/b/c");
    EXPECT_EQ(MakeFolder(deep), std::nullopt);
    EXPECT_TRUE(QFileInfo(deep).isDir());
    const QString file = writeFile(dir.path() + QStringLiteral("/file.txt"), "x");
    const std::optional<QString> underFile = MakeFolder(file + QStringLiteral("/sub"));
    ASSERT_TRUE(underFile);
    EXPECT_FALSE(underFile->isEmpty());
    EXPECT_TRUE(QFileInfo(file).isFile()); // left as it was
}

TEST(OutputFolders, TheFoldersABatchWritesTo)
{
    QTemporaryDir dir;
    const QString a = writeFile(dir.path() + QStringLiteral("/one/a.avi"), "x");
    const QString b = writeFile(dir.path() + QStringLiteral("/two/b.avi"), "x");
    const QString c = writeFile(dir.path() + QStringLiteral("/one/c.avi"), "x");
    const QString gone = dir.path() + QStringLiteral("/three/gone.avi");
    // Beside the sources: each existing source's folder once, in list order.
    EXPECT_EQ(OutputFolders(true, QStringLiteral("/ignored"), {b, gone, a, c}),
              (QStringList{dir.path() + QStringLiteral("/two"), dir.path() + QStringLiteral("/one")}));
    EXPECT_EQ(OutputFolders(false, QStringLiteral("/out/"), {a, b}), QStringList{QStringLiteral("/out/")});
}

TEST(OutputFolders, AFolderThatTakesNoNewFileIsFoundAndLeftAsItWas)
{
    QTemporaryDir dir;
    const QString open = dir.path() + QStringLiteral("/open");
    const QString closed = dir.path() + QStringLiteral("/closed");
    ASSERT_TRUE(QDir().mkpath(open));
    ASSERT_TRUE(QDir().mkpath(closed));
    ASSERT_TRUE(QFile::setPermissions(closed,
                                      QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::ExeOther));
    const QString missing = dir.path() + QStringLiteral("/missing");
    EXPECT_TRUE(asOrdinaryUser(dir.path(), [&] {
        const QList<TFolderRefusal> refused = UnwritableFolders({open, closed, missing});
        return refused.size() == 2 && refused[0].Folder == closed && refused[1].Folder == missing
            && !refused[0].Reason.isEmpty() && refused[1].Reason == QLatin1String("there is no such folder");
    }));
    // The trial file is gone again.
    EXPECT_TRUE(QDir(open).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(WriteRefusal(open), std::nullopt);
    EXPECT_TRUE(QDir(open).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    QFile::setPermissions(closed, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
