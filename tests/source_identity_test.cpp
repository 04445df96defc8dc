// Knowing a source again: names taken as the bytes the system gave, ".." after links, and a file
// removed only while it is still the one that was read.
#include "core/media/source_identity.h"
#include "test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

TEST(SourceIdentity, ArgumentsNameTheFileTheSystemMeans)
{
    QTemporaryDir dir;
    const QString w = QFileInfo(dir.path()).canonicalFilePath();
    writeFile(w + QStringLiteral("/clip.avi"), "decoy");
    writeFile(w + QStringLiteral("/other/clip.avi"), "meant");
    QDir(w).mkpath(QStringLiteral("other/sub"));
    ASSERT_TRUE(QFile::link(w + QStringLiteral("/other/sub"), w + QStringLiteral("/link")));

    struct Case {
        const char* what;
        QByteArray argument;
        QString path; // empty: refused
    };
    const QByteArray base = QFile::encodeName(w);
    const Case cases[] = {
        {"a plain name", base + "/clip.avi", w + QStringLiteral("/clip.avi")},
        {"a link without \"..\" keeps its spelling", base + "/link/./x.avi", w + QStringLiteral("/link/x.avi")},
        {"\"..\" after a link leads out of the link's target", base + "/link/../clip.avi",
         w + QStringLiteral("/other/clip.avi")},
        {"\".\" and a link in the folder part", base + "/./link/../../clip.avi", w + QStringLiteral("/clip.avi")},
        {"a folder that is missing keeps its text", base + "/missing/../clip.avi",
         w + QStringLiteral("/missing/../clip.avi")},
        {"a name that is not valid text", base + "/x\xff.avi", QString()},
        {"its look-alike, which is valid text", base + "/x\xef\xbf\xbd.avi", w + QStringLiteral("/x\uFFFD.avi")},
        {"an empty name", QByteArray(), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QString refusal;
        EXPECT_EQ(LocalPathFromArgument(c.argument, &refusal), c.path);
        EXPECT_EQ(refusal.isEmpty(), !c.path.isEmpty()) << refusal.toStdString();
    }
    EXPECT_TRUE(ArgumentRefusal("x\xff.avi").contains(QStringLiteral("x\\xff.avi")));

    // Relative to the working folder, made absolute by joining.
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(w));
    QStringList refusals;
    const QStringList paths = LocalPathsFromArguments({"link/../clip.avi", "x\xff.avi", "clip.avi"}, &refusals);
    QDir::setCurrent(before);
    EXPECT_EQ(paths, (QStringList{w + QStringLiteral("/other/clip.avi"), w + QStringLiteral("/clip.avi")}));
    EXPECT_EQ(refusals.size(), 1);
}

TEST(SourceIdentity, RemovedOnlyWhileStillTheSameFile)
{
    QTemporaryDir dir;
    struct Case {
        const char* what;
        std::function<void(const QString& path)> meanwhile;
        bool removed;
    };
    const Case cases[] = {
        {"unchanged", [](const QString&) {}, true},
        {"saved over by a new file",
         [](const QString& path) {
             writeFile(path + QStringLiteral(".new"), "new");
             QFile::remove(path);
             QFile::rename(path + QStringLiteral(".new"), path);
         },
         false},
        {"written to in place", [](const QString& path) { writeFile(path, "changed contents"); }, false},
        {"removed", [](const QString& path) { QFile::remove(path); }, false},
        {"replaced by a link to itself",
         [](const QString& path) {
             QFile::rename(path, path + QStringLiteral(".real"));
             QFile::link(path + QStringLiteral(".real"), path);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString path = writeFile(dir.path() + QStringLiteral("/") + QLatin1String(c.what), "video");
        const TFileIdentity identity = TFileIdentity::Of(path);
        ASSERT_TRUE(identity.Valid);
        c.meanwhile(path);
        const bool existedBefore = QFileInfo(path).exists() || QFileInfo(path).isSymLink();
        EXPECT_EQ(RemoveIfStillSame(path, identity), c.removed);
        EXPECT_EQ(QFileInfo(path).exists() || QFileInfo(path).isSymLink(), existedBefore && !c.removed);
    }
}
