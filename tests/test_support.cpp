#include "test_support.h"

#include "core/media/child_process.h"
#include "core/media/pipe_parser.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

FakeProgramDir::FakeProgramDir()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("encoder"));
    const QString target = m_dir.path() + QStringLiteral("/encoder/encoder");
    // A copy, not a link: the fake finds its script beside its own executable.
    if (!QFile::copy(QStringLiteral(FAKE_ENCODER_PATH), target))
        ADD_FAILURE() << "cannot copy the fake encoder to " << target.toStdString();
}

void FakeProgramDir::setScript(const QStringList& lines) const
{
    writeFile(m_dir.path() + QStringLiteral("/encoder/fake_script.txt"), lines.join(QLatin1Char('\n')).toUtf8() + '\n');
}

QStringList FakeProgramDir::receivedArguments() const
{
    QFile file(m_dir.path() + QStringLiteral("/encoder/fake_args.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList args = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!args.isEmpty() && args.last().isEmpty())
        args.removeLast();
    return args;
}

QStringList FakeProgramDir::loggedRuns() const
{
    QFile file(m_dir.path() + QStringLiteral("/encoder/fake_log.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return TPipeParser::SplitLines(file.readAll());
}

qint64 FakeProgramDir::receivedPid() const
{
    QFile file(m_dir.path() + QStringLiteral("/encoder/fake_pid.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toLongLong();
}

QString realProgramDir()
{
    return QStringLiteral(KOVIRTA_PROGRAM_DIR);
}

QString corpusDir()
{
    return QStringLiteral(KOVIRTA_CORPUS_DIR);
}

QString corpusFile(const QString& name)
{
    return corpusDir() + QLatin1Char('/') + name;
}

QString copyOfCorpusFile(const QString& name, const QString& folder, const QString& copyName)
{
    const QString copy = folder + QLatin1Char('/') + (copyName.isEmpty() ? name : copyName);
    if (!QFile::copy(corpusFile(name), copy))
        ADD_FAILURE() << "cannot copy " << name.toStdString() << " to " << copy.toStdString();
    // A copy keeps the corpus file's read-only mode; the tests may delete or replace it.
    QFile::setPermissions(copy, QFile::permissions(copy) | QFileDevice::WriteOwner);
    return copy;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    // As QTest::qWaitFor does, for the tests that do without QtTest.
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << path.toStdString();
    return path;
}

QStringList encoderLeftovers(const QString& folder)
{
    return QDir(folder).entryList({QStringLiteral(".kovirta-*")}, QDir::Files | QDir::Hidden | QDir::System);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ProgramRun::lastErrorLine() const
{
    const QStringList lines = TPipeParser::SplitLines(errorText);
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
        if (it->startsWith(QStringLiteral("Error:")) || it->startsWith(QStringLiteral("Error[")))
            return *it;
    }
    return {};
}

ProgramRun runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    ProgramRun run;
    TChildProcess child;
    if (!child.Start(program, args, TChildProcess::Stream::StdErr))
        return run;
    char piece[4096];
    for (;;) {
        size_t got = 0;
        const auto status = child.Read(piece, sizeof piece, timeoutMs, got);
        if (status == TChildProcess::ReadStatus::TimedOut) {
            ADD_FAILURE() << program.toStdString() << " did not end in time";
            child.Kill();
            break;
        }
        if (status == TChildProcess::ReadStatus::EndOfStream)
            break;
        run.errorText.append(piece, static_cast<qsizetype>(got));
    }
    run.exitCode = child.Wait();
    return run;
}

QString realEncoder()
{
    return realProgramDir() + QStringLiteral("encoder/encoder");
}

bool asOrdinaryUser(const QString& folder, const std::function<bool()>& check)
{
    if (geteuid() != 0)
        return check();
    const passwd* nobody = getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        int status = 1;
        try {
            const std::filesystem::path top(folder.toStdString());
            bool owned = ::chown(top.c_str(), uid, gid) == 0;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(top))
                owned = ::lchown(entry.path().c_str(), uid, gid) == 0 && owned;
            if (owned && setgroups(0, nullptr) == 0 && setgid(gid) == 0 && setuid(uid) == 0)
                status = check() ? 0 : 1;
        } catch (...) {
            status = 2;
        }
        _exit(status); // none of the parent's clean-up runs twice
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
