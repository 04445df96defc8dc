// Pictures of every window, to look at what a user sees: build/tests/window_gallery FOLDER
// writes FOLDER/<window>.png for each window in the states of window_states.h. Run it under
// QT_SCALE_FACTOR=1.25 or 2 (and QT_QPA_PLATFORM=xcb on an X server, or the default offscreen
// platform) to see the windows at that scale; the pictures have the scale's pixels.
#include "fake_prompts.h"
#include "window_states.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_gallery FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "window_gallery: cannot make %s\n", argv[1]);
        return 1;
    }
    // The user's own settings and data stay untouched.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    qputenv("XDG_DATA_HOME", QFile::encodeName(settings.path()));
    QTemporaryDir program;
    const QString programDir = program.path() + QLatin1Char('/');
    PrepareProgramDir(programDir);
    FakePrompts prompts;
    const std::vector<TShownWindow> windows = ShowEveryWindow(programDir, prompts);
    int failed = 0;
    for (const TShownWindow& shown : windows) {
        const QString path = QDir(folder).filePath(shown.Name + QStringLiteral(".png"));
        if (!shown.Window->grab().save(path)) {
            std::fprintf(stderr, "window_gallery: cannot write %s\n", qPrintable(path));
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
