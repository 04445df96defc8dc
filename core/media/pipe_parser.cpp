#include "core/media/pipe_parser.h"

#include "core/media/child_process.h"

#include <QProcess>

#include <chrono>

TPipeParser::TPipeParser(const QString& programDir) : EncoderPath(programDir + QStringLiteral("encoder/encoder"))
{}

QStringList TPipeParser::SplitLines(const QByteArray& data)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = data.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data.at(i);
        if (c != '\r' && c != '\n')
            continue;
        lines.append(QString::fromUtf8(data.constData() + start, i - start));
        if (c == '\r' && i + 1 < size && data.at(i + 1) == '\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(QString::fromUtf8(data.constData() + start, size - start));
    return lines;
}

QStringList TPipeParser::SplitArguments(const QString& text)
{
    return QProcess::splitCommand(text);
}

void TPipeParser::Run(bool readStdErr)
{
    const QStringList args = ArgumentList.isEmpty() ? SplitArguments(Arguments) : ArgumentList;
    TChildProcess child;
    Started = false;
    if (!child.Start(EncoderPath, args, readStdErr ? TChildProcess::Stream::StdErr : TChildProcess::Stream::StdOut))
        return;
    Started = true;

    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(TimeoutMs);
    QByteArray buffer;
    char piece[kReadPieceBytes];
    for (;;) {
        if (Stopped && Stopped()) {
            child.Kill();
            child.Wait();
            Output.clear();
            return;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        left = std::max<long long>(left, 0);
        const bool lastWait = !Stopped || left <= kStopCheckMs;
        size_t got = 0;
        const auto status = child.Read(piece, sizeof piece, static_cast<int>(lastWait ? left : kStopCheckMs), got);
        if (status == TChildProcess::ReadStatus::TimedOut) {
            if (!lastWait)
                continue; // time to ask Stopped again
            // A probe that never ends must not hold the program: its file counts as unsupported.
            child.Kill();
            child.Wait();
            Output.clear();
            return;
        }
        if (status == TChildProcess::ReadStatus::EndOfStream)
            break;
        buffer.append(piece, static_cast<qsizetype>(got));
    }
    Output = SplitLines(buffer);
    child.Wait();
}
