// kovirta-cli: the device list, conversions for a device and the probe's view of files, from a
// terminal, a script or a job queue, through the same catalogues, conversion request, command
// line and batch driver as the window.
#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>

struct TCliEnvironment {
    QString ProgramDir; // with its trailing separator: the encoder and the catalogues
    QTextStream* Out = nullptr;
    QTextStream* Err = nullptr;
    bool OutIsTerminal = false;
    bool InIsTerminal = false;
    std::function<QString()> ReadLine; // a line from standard input; a null text at its end
    QString LogFolder;                 // where the encoder runs' logs go; the user's log folder when empty
    // Set while a batch runs: ends it as Stop does (SIGINT and SIGTERM call it).
    std::function<void()>* Interrupt = nullptr;
};

enum TCliExit { ceConverted = 0, ceNotAllConverted = 1, ceUsage = 2 };

// Runs one command line (without the program's name); returns the exit status.
int RunCli(const QStringList& args, const TCliEnvironment& environment);
