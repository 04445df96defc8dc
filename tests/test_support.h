// Shared helpers for the tests: temporary program directories, the fake encoder, the corpus.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <initializer_list>
#include <memory>
#include <ostream>

// A string list written with plain literals, for tables of cases.
struct TextList : QStringList {
    TextList() = default;
    TextList(std::initializer_list<const char*> items)
    {
        for (const char* item : items)
            append(QString::fromUtf8(item));
    }
};

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// A temporary program directory whose encoder/encoder is the scripted fake encoder.
class FakeProgramDir {
public:
    FakeProgramDir();
    // The program directory with its trailing separator.
    QString path() const { return m_dir.path() + QLatin1Char('/'); }
    // Replaces the fake's script; lines as described in fake_encoder.cpp.
    void setScript(const QStringList& lines) const;
    // The arguments the fake received at its last "args" step.
    QStringList receivedArguments() const;
    // The lines the fake appended at its "log" steps, one a run.
    QStringList loggedRuns() const;
    // The process id the fake wrote at its last "pid" step; 0 when there was none.
    qint64 receivedPid() const;

private:
    QTemporaryDir m_dir;
};

// The program directory of the build, holding the real encoder.
QString realProgramDir();
QString corpusDir();
QString corpusFile(const QString& name);
// A copy of a corpus file in folder (under the same name unless one is given), for tests that
// convert, delete or otherwise change their sources: the shared corpus is never changed.
QString copyOfCorpusFile(const QString& name, const QString& folder, const QString& copyName = {});

// Sets the user's locale for one scope and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_saved); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

private:
    QLocale m_saved;
};

// What a program wrote to standard error and how it ended.
struct ProgramRun {
    int exitCode = -1;
    QByteArray errorText;
    QString lastErrorLine() const;
};
// Runs a program to its end (killed after timeoutMs), collecting standard error.
ProgramRun runProgram(const QString& program, const QStringList& args, int timeoutMs = 120000);
QString realEncoder();

// Handles events until done() says true or timeoutMs pass (a guard against a hang, not a
// measure); returns done()'s last answer.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 30000);

// Writes bytes to a file, creating its folders; returns the path.
QString writeFile(const QString& path, const QByteArray& bytes);
// The encoder's temporary files in folder (hidden ".kovirta-..." names).
QStringList encoderLeftovers(const QString& folder);
// The whole of a file; empty when it cannot be read.
QByteArray readFile(const QString& path);

// Runs check with the rights of an ordinary user, for tests of read-only files and folders. As
// root, whom file modes do not stop, it runs in a child process under the "nobody" account, which
// is first given the folder (and everything in it); otherwise it runs here. True when check
// returned true.
bool asOrdinaryUser(const QString& folder, const std::function<bool()>& check);
