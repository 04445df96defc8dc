// Test entry for windows: the offscreen platform, so no display is needed and nothing waits on
// a user, and settings kept in a temporary folder instead of the user's own.
#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    // So are the per-user data (the encoder runs' logs).
    QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir.path()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
