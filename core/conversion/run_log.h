// The whole output of one encoder run kept as a file, so that a failure can be looked into after
// the batch: a few lines on what was run, everything the encoder wrote, and how it ended. The
// logs live in a folder of their own in the user's data folder; only the newest ones are kept.
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

class TRunLog {
public:
    static constexpr int kKeptLogs = 50;

    // The user's log folder: "logs" in the program's per-user data folder.
    static QString DefaultFolder();
    // Removes all but the newest `keep` logs of the folder (their names begin with their time).
    static void Prune(const QString& folder, int keep);

    // Creates the log of a run of program on sourcePath in folder (made when missing), named
    // after the time and the source: "20240131-142501-123-clip.avi.log" (universal time). False when it cannot be
    // written; the run goes on without one.
    bool Open(const QString& folder, const QString& sourcePath, const QString& outputPath, const QString& program,
              const QStringList& args);
    // The encoder's output as it came, each status line (ended by a carriage return) on a line
    // of its own.
    void Append(const char* data, qint64 size);
    // How the run ended, then the file is closed.
    void Close(const QString& ending);
    // Closes and removes the log (while its name is still the file written here).
    void Discard();
    // The log's path; empty when none was opened.
    QString Path() const { return m_path; }

private:
    QFile m_file;
    QString m_path;
};
