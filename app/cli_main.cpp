// kovirta-cli: the converter without a window. SIGINT and SIGTERM end a running batch as Stop
// does (each encoder runs in a process group of its own, so the terminal's signal reaches only
// this program, which ends them and removes their partial outputs).
#include "cli/cli_program.h"
#include "core/media/source_identity.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void onSignal(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: a stop is already on its way.
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
}

bool watchSignals()
{
    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The same user data folder as the window, so that the encoder runs' logs go to one place.
    QCoreApplication::setApplicationName(QStringLiteral("Kovirta"));
    QCoreApplication::setOrganizationName(QStringLiteral("Tovamix"));

    QTextStream out(stdout);
    QTextStream err(stderr);
    std::function<void()> interrupt;
    if (!watchSignals()) {
        err << "kovirta-cli: cannot watch for SIGINT and SIGTERM\n";
        return 1;
    }
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&interrupt] {
        char byte = 0;
        while (read(g_signalPipe[0], &byte, 1) > 0) {
        }
        if (interrupt)
            interrupt();
        else
            std::_Exit(1);
    });

    // Arguments are taken as text: one whose bytes do not read back to themselves could only name
    // another file (a look-alike name), so the command line is refused instead.
    for (int i = 1; i < argc; ++i) {
        const QString refusal = ArgumentRefusal(QByteArray(argv[i]));
        if (!refusal.isEmpty()) {
            err << "kovirta-cli: " << refusal << '\n';
            err.flush();
            return ceUsage;
        }
    }

    TCliEnvironment environment;
    environment.ProgramDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    environment.Out = &out;
    environment.Err = &err;
    environment.OutIsTerminal = isatty(STDOUT_FILENO) == 1;
    environment.InIsTerminal = isatty(STDIN_FILENO) == 1;
    environment.ReadLine = [] {
        std::string line;
        if (!std::getline(std::cin, line))
            return QString();
        return QString::fromStdString(line);
    };
    environment.Interrupt = &interrupt;
    return RunCli(QCoreApplication::arguments().mid(1), environment);
}
