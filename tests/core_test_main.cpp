// Test entry for the core: an application object for event loops and timers, no display.
#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Settings go to a temporary folder, never the user's own.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    // So are the per-user data (the encoder runs' logs).
    QTemporaryDir dataDir;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir.path()));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
