// How long the main window takes to show a long "preview.m3u", and how long its thread is ever
// kept from answering meanwhile. The window is the real one, with the real encoder probing; a
// timer on the window's thread ticks every few milliseconds, and the longest time between two
// ticks (the window's construction included) is the longest the window could not have answered
// a click or a repaint.
//
// Usage: build/bench/long_list [--files N] [--missing N] [--program-dir DIR] [--corpus DIR]
//   --files N    a list of N files (links to the corpus's videos, taken in turn); default 1000
//   --missing N  then a list of N files that do not exist; default 10000, 0 skips it
// The list, the settings and a copy of the catalogues are kept in a temporary folder; the encoder
// is the one of the program directory (default: the folder above this program's).
#include "core/media/video_formats.h"
#include "core/prompts/user_prompts.h"
#include "gui/file_list_panel.h"
#include "gui/list_box_drag_ext.h"
#include "gui/main_form.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Answers every prompt at once, so that no modal window holds the measurement up; the add
// report is kept to be counted.
class TQuietPrompts : public TUserPrompts {
public:
    void ShowMessage(const QString&, const QString& text, PromptIcon) override { Messages.append(text); }
    void ShowMessageWithCopy(const QString&, const QString& text, PromptIcon, const QString&) override
    {
        Messages.append(text);
    }
    bool AskYesNo(const QString&, const QString&, PromptIcon) override { return false; }
    QString BrowseForFolder() override { return {}; }
    QStringList OpenFiles(const QString&, const QString&) override { return {}; }
    QString OpenFile(const QString&, const QString&) override { return {}; }
    QString SaveFile(const QString&, const QString&, const QString&) override { return {}; }
    TOverwriteAnswer AskOverwrite(const QString&) override { return oaNone; }
    void ShowBatchSummary(const TBatchSummary&) override {}

    QStringList Messages;

protected:
    bool ShellOpenUrl(const QString&) override { return false; }
    bool ShellOpenLocalPath(const QString&) override { return false; }
};

struct TRunFigures {
    qint64 firstRowMs = -1;
    qint64 shownMs = -1;
    qint64 longestGapMs = 0;
    int rows = 0;
    int messages = 0;
};

constexpr int kTickMs = 5;
constexpr qint64 kGiveUpMs = 30 * 60 * 1000;

// Starts the window on the list in programDir and runs the event loop until the list is whole.
TRunFigures measure(const QString& programDir)
{
    TRunFigures figures;
    TQuietPrompts prompts;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTickMs);

    clock.start();
    ticker.start(); // its first tick comes once the window below is built and the loop runs
    auto form = std::make_unique<TMainFrm>(programDir, prompts);
    form->show();
    const auto* list = form->findChild<TListBoxDragExt*>(QStringLiteral("FilesLvw"));

    QEventLoop loop;
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.elapsed();
        figures.longestGapMs = std::max(figures.longestGapMs, now - lastTick);
        lastTick = now;
        if (figures.firstRowMs < 0 && list->RowCount() > 0)
            figures.firstRowMs = now;
        if (!form->FileList().IsLoading() || now > kGiveUpMs) {
            figures.shownMs = now;
            loop.quit();
        }
    });
    loop.exec();
    figures.rows = list->RowCount();
    figures.messages = static_cast<int>(prompts.Messages.size());
    // The window is closed without storing the list, which belongs to the benchmark's folder anyway.
    form.reset();
    return figures;
}

QString argument(const QStringList& args, const QString& name, const QString& fallback)
{
    const qsizetype at = args.indexOf(name);
    return at >= 0 && at + 1 < args.size() ? args[at + 1] : fallback;
}

void writeList(const QString& fileName, const QStringList& paths)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(fileName));
    for (const QString& path : paths)
        file.write(path.toUtf8() + "\r\n");
}

void report(const char* what, qsizetype listed, const TRunFigures& f)
{
    const std::string firstRow =
        f.firstRowMs < 0 ? std::string("no row") : "first row after " + std::to_string(f.firstRowMs) + " ms";
    std::printf("%s: %lld lines; %s; whole list shown after %.2f s "
                "(%d rows, %d message%s); longest unresponsive gap %lld ms\n",
                what, static_cast<long long>(listed), firstRow.c_str(), static_cast<double>(f.shownMs) / 1000.0, f.rows,
                f.messages, f.messages == 1 ? "" : "s", static_cast<long long>(f.longestGapMs));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    if (!work.isValid())
        qFatal("no temporary folder");
    // Settings of its own, and no window on the screen unless a platform is asked for.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.path() + QStringLiteral("/config")));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kovirta"));
    QApplication::setOrganizationName(QStringLiteral("Tovamix"));

    const QStringList args = QCoreApplication::arguments();
    const int files = argument(args, QStringLiteral("--files"), QStringLiteral("1000")).toInt();
    const int missing = argument(args, QStringLiteral("--missing"), QStringLiteral("10000")).toInt();
    const QString programDir = QDir(argument(args, QStringLiteral("--program-dir"),
                                             QCoreApplication::applicationDirPath() + QStringLiteral("/..")))
                                   .absolutePath();
    const QString corpus = argument(args, QStringLiteral("--corpus"), QStringLiteral(KOVIRTA_CORPUS_DIR));

    // A program directory of its own: the list file is written there, the encoder is linked.
    const QString dir = work.path() + QStringLiteral("/program/");
    QDir().mkpath(dir);
    if (!QFile::link(programDir + QStringLiteral("/encoder"), dir + QStringLiteral("encoder")))
        qFatal("cannot link the encoder of %s", qPrintable(programDir));
    for (const QFileInfo& catalogue : QDir(programDir).entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
        QFile::copy(catalogue.filePath(), dir + catalogue.fileName());

    QStringList videos;
    for (const QFileInfo& file : QDir(corpus).entryInfoList(QDir::Files, QDir::Name)) {
        if (VideoExtensions().contains(file.suffix().toLower()))
            videos.append(file.absoluteFilePath());
    }
    if (videos.isEmpty())
        qFatal("no videos in %s", qPrintable(corpus));

    if (files > 0) {
        // Links of their own names, so that every line is a file of its own to the program.
        const QString media = work.path() + QStringLiteral("/media/");
        QDir().mkpath(media);
        QStringList paths;
        for (int i = 0; i < files; ++i) {
            const QFileInfo target(videos[i % videos.size()]);
            const QString link = media + QStringLiteral("%1-%2").arg(i, 4, 10, QLatin1Char('0')).arg(target.fileName());
            QFile::link(target.filePath(), link);
            paths.append(link);
        }
        writeList(dir + QStringLiteral("preview.m3u"), paths);
        report("files", paths.size(), measure(dir));
    }
    if (missing > 0) {
        QStringList paths;
        for (int i = 0; i < missing; ++i)
            paths.append(work.path() + QStringLiteral("/gone/%1.avi").arg(i));
        writeList(dir + QStringLiteral("preview.m3u"), paths);
        report("missing files", paths.size(), measure(dir));
    }
    return 0;
}
