#include "core/media/child_process.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

// The child's environment: empty, but for the sanitizers' own settings where the parent has them,
// so that a sanitized encoder started by sanitized tests reports the way the tests do.
std::vector<std::string> childEnvironment()
{
    std::vector<std::string> environment;
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + '=' + value);
    }
    return environment;
}

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() { posix_spawnattr_init(&attributes); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
};

} // namespace

TChildProcess::~TChildProcess()
{
    if (m_pid > 0) {
        Kill();
        Wait();
    }
    ClosePipe();
}

bool TChildProcess::Start(const QString& program, const QStringList& args, Stream captured)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;

    SpawnActions spawn;
    const int childFd = captured == Stream::StdErr ? STDERR_FILENO : STDOUT_FILENO;
    const int otherFd = captured == Stream::StdErr ? STDOUT_FILENO : STDERR_FILENO;
    posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&spawn.actions, otherFd, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&spawn.actions, fds[1], childFd);

    // Arguments as a list, never through a shell; UTF-8 as the file system expects.
    std::vector<QByteArray> storage;
    storage.reserve(static_cast<size_t>(args.size()) + 1);
    storage.push_back(program.toUtf8());
    for (const QString& arg : args)
        storage.push_back(arg.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = childEnvironment();
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    // A process group of its own: the job control signals meant for the program (a terminal's
    // Ctrl+Z and fg) then neither hold nor release it behind Pause, and a child still held when
    // the program has gone is ended by the system instead of being left held for good.
    SpawnAttributes attributes;
    posix_spawnattr_setflags(&attributes.attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes.attributes, 0);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, storage.front().constData(), &spawn.actions, &attributes.attributes,
                                   argv.data(), envp.data());
    close(fds[1]);
    if (result != 0) {
        close(fds[0]);
        return false;
    }
    m_readFd = fds[0];
    const std::lock_guard<std::mutex> lock(m_reapMutex);
    m_reaped = false;
    m_pid = pid;
    if (m_paused)
        kill(pid, SIGSTOP);
    return true;
}

TChildProcess::ReadStatus TChildProcess::Read(char* buffer, size_t maxBytes, int timeoutMs, size_t& bytesRead)
{
    bytesRead = 0;
    if (m_readFd < 0)
        return ReadStatus::EndOfStream;
    pollfd pfd{m_readFd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&pfd, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0)
        return ReadStatus::TimedOut;
    ssize_t got;
    do {
        got = read(m_readFd, buffer, maxBytes);
    } while (got < 0 && errno == EINTR);
    if (got <= 0)
        return ReadStatus::EndOfStream;
    bytesRead = static_cast<size_t>(got);
    return ReadStatus::Data;
}

void TChildProcess::Kill()
{
    Signal(SIGKILL);
}

void TChildProcess::Terminate()
{
    Signal(SIGTERM);
}

void TChildProcess::Pause()
{
    SetPaused(true);
}

void TChildProcess::Resume()
{
    SetPaused(false);
}

void TChildProcess::SetPaused(bool paused)
{
    const std::lock_guard<std::mutex> lock(m_reapMutex);
    m_paused = paused;
    const pid_t pid = m_pid.load();
    if (pid > 0 && !m_reaped)
        kill(pid, paused ? SIGSTOP : SIGCONT);
}

void TChildProcess::Signal(int signalNumber)
{
    const std::lock_guard<std::mutex> lock(m_reapMutex);
    const pid_t pid = m_pid.load();
    if (pid <= 0 || m_reaped)
        return;
    kill(pid, signalNumber);
    // A held child acts on SIGTERM only once it runs again (SIGKILL ends it either way).
    if (m_paused)
        kill(pid, SIGCONT);
}

int TChildProcess::Wait()
{
    const pid_t pid = m_pid.load();
    if (pid <= 0)
        return -1;
    {
        const std::lock_guard<std::mutex> lock(m_reapMutex);
        if (m_reaped)
            return -1;
    }
    // Wait for the end without reaping, so that the id stays ours until Kill can no longer use it.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    int status = 0;
    pid_t done;
    {
        const std::lock_guard<std::mutex> lock(m_reapMutex);
        do {
            done = waitpid(pid, &status, 0);
        } while (done < 0 && errno == EINTR);
        m_reaped = true;
    }
    ClosePipe();
    if (done == pid && WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

void TChildProcess::ClosePipe()
{
    if (m_readFd >= 0) {
        close(m_readFd);
        m_readFd = -1;
    }
}
