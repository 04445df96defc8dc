// A child program with one output stream on a pipe: started without a shell, with an empty
// environment (but for the sanitizers' settings, when set), read in small pieces, and killable
// from another thread.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <mutex>
#include <sys/types.h>

class TChildProcess {
public:
    enum class Stream { StdOut, StdErr };
    enum class ReadStatus { Data, EndOfStream, TimedOut };

    TChildProcess() = default;
    ~TChildProcess();
    TChildProcess(const TChildProcess&) = delete;
    TChildProcess& operator=(const TChildProcess&) = delete;

    // Starts program with args; the chosen stream goes to a pipe, the other stream and standard
    // input to the null device (so the child never blocks on an unread pipe). False when the
    // program cannot be started.
    bool Start(const QString& program, const QStringList& args, Stream captured);

    // Reads at most maxBytes once the pipe has data, waiting at most timeoutMs (-1: no limit).
    ReadStatus Read(char* buffer, size_t maxBytes, int timeoutMs, size_t& bytesRead);
    // The reading end of the pipe, for an event loop to watch; -1 when there is none.
    int ReadFd() const { return m_readFd; }

    // Ends the child at once (SIGKILL); safe from any thread while the child has not been waited for.
    void Kill();
    // Asks the child to end (SIGTERM), letting it clean up first.
    void Terminate();
    // Holds the child where it is (SIGSTOP) and lets it go on (SIGCONT); safe from any thread. A
    // child started while paused is held from its start. Kill and Terminate end a held child too.
    void Pause();
    void Resume();
    // Waits for the child to end and returns its exit status (-1 when it did not exit normally).
    int Wait();
    // The child's process id once started (kept after it was waited for); 0 before.
    pid_t Pid() const { return m_pid; }

private:
    void ClosePipe();
    void Signal(int signalNumber);
    void SetPaused(bool paused);

    std::atomic<pid_t> m_pid{0};
    int m_readFd = -1;
    // Kill and the reaping in Wait are serialised, so a kill never reaches a recycled process id.
    std::mutex m_reapMutex;
    bool m_reaped = false;
    bool m_paused = false; // under m_reapMutex
};
