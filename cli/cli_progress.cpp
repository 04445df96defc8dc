#include "cli/cli_progress.h"

#include "core/conversion/progress_math.h"
#include "core/media/file_utils.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int kBarWidth = 20;
constexpr qint64 kRedrawMs = 200;
constexpr int kPlainStep = 10; // a plain progress line every 10 percent

QString bar(qint32 percent)
{
    const int filled = static_cast<int>(std::clamp(percent, 0, 100) * kBarWidth / 100);
    return QLatin1Char('[') + QString(filled, QLatin1Char('#')) + QString(kBarWidth - filled, QLatin1Char('-'))
        + QLatin1Char(']');
}

// The time left when `percent` of the work took `elapsedMs`; empty until there is a figure.
QString timeLeft(qint32 percent, qint64 elapsedMs)
{
    if (percent <= 0 || elapsedMs <= 0)
        return QStringLiteral("--:--");
    return TCliProgress::ClockText(elapsedMs * (100 - std::min(percent, 100)) / percent / 1000);
}

} // namespace

TCliProgress::TCliProgress(Mode mode, QTextStream& out, QList<qint32> durationsTenths,
                           std::function<QString()> readAnswer)
    : m_mode(mode), m_out(out), m_durations(std::move(durationsTenths)), m_readAnswer(std::move(readAnswer))
{
    m_total = static_cast<int>(m_durations.size());
    m_batchClock.start();
    m_sinceRedraw.start();
}

QString TCliProgress::ClockText(qint64 seconds)
{
    // The window's clock, so that both front ends say a time the same way.
    return ::ClockText(seconds);
}

void TCliProgress::ShowTotalProgress(int position)
{
    m_totalPercent = position;
    Redraw(false);
}

void TCliProgress::ShowFileStatus(int index, const TFileStatus& status)
{
    const QString name = FileNameOfPath(status.SourcePath);
    switch (status.State) {
    case TFileState::Waiting:
        return;
    case TFileState::Converting:
        if (!m_running.contains(index)) {
            TRunning& running = m_running[index];
            running.Name = name;
            running.Clock.start();
            m_order.append(index);
            m_shownPercent[index] = 0;
            Event(QStringLiteral("started"), index, status);
            return;
        }
        m_running[index].Percent = status.Percent;
        if (m_mode == Mode::Plain && status.Percent / kPlainStep == m_shownPercent[index] / kPlainStep)
            return;
        m_shownPercent[index] = status.Percent;
        Event(QStringLiteral("progress"), index, status);
        return;
    case TFileState::Done:
        Event(QStringLiteral("done"), index, status);
        break;
    case TFileState::Skipped:
        Event(QStringLiteral("skipped"), index, status);
        break;
    case TFileState::Failed:
        Event(QStringLiteral("failed"), index, status);
        break;
    case TFileState::Stopped:
        Event(QStringLiteral("stopped"), index, status);
        break;
    }
    ++m_ended;
    m_running.remove(index);
    m_order.removeAll(index);
    Redraw(true);
}

void TCliProgress::Event(const QString& kind, int index, const TFileStatus& status)
{
    const QString name = FileNameOfPath(status.SourcePath);
    if (m_mode == Mode::Json) {
        QJsonObject event{{QStringLiteral("event"), kind},
                          {QStringLiteral("index"), index},
                          {QStringLiteral("source"), status.SourcePath}};
        if (kind == QLatin1String("started") || kind == QLatin1String("done")) {
            event.insert(QStringLiteral("output"), status.OutputPath);
            event.insert(QStringLiteral("renamed"), status.Renamed);
        }
        if (kind == QLatin1String("progress")) {
            event.insert(QStringLiteral("percent"), status.Percent);
            event.insert(QStringLiteral("total"), m_totalPercent);
        }
        if (!status.Reason.isEmpty() && kind != QLatin1String("done"))
            event.insert(QStringLiteral("reason"), status.Reason);
        if (!status.Detail.isEmpty())
            event.insert(QStringLiteral("detail"), status.Detail);
        if (!status.LogPath.isEmpty())
            event.insert(QStringLiteral("log"), status.LogPath);
        m_out << QJsonDocument(event).toJson(QJsonDocument::Compact) << '\n';
        m_out.flush();
        return;
    }
    QString text;
    if (kind == QLatin1String("started"))
        text = QStringLiteral("started  %1 -> %2").arg(name, status.OutputPath);
    else if (kind == QLatin1String("progress"))
        text = QStringLiteral("progress %1 %2%").arg(name).arg(status.Percent);
    else if (kind == QLatin1String("done"))
        text = QStringLiteral("done     %1 -> %2%3")
                   .arg(name, status.OutputPath, status.Renamed ? QStringLiteral(" (new name)") : QString());
    else
        text = QStringLiteral("%1 %2: %3").arg(kind.leftJustified(8), name, status.Reason);
    // On a terminal only the lasting events get a line; progress shows in the redrawn block.
    if (m_mode == Mode::Terminal && kind == QLatin1String("progress")) {
        Redraw(false);
        return;
    }
    Line(text);
}

void TCliProgress::Line(const QString& text)
{
    if (m_mode == Mode::Terminal) {
        // Clear the block, write the line where it stood, and draw the block again below.
        if (m_liveLines > 0)
            m_out << "\x1b[" << m_liveLines << "F\x1b[J";
        m_liveLines = 0;
        m_out << text << '\n';
        Redraw(true);
        return;
    }
    m_out << text << '\n';
    m_out.flush();
}

QString TCliProgress::RunningLine(int index, const TRunning& running) const
{
    const qint64 elapsedMs = running.Clock.elapsed();
    const qint32 duration = m_durations.value(index);
    QString speed = QStringLiteral("  -.--x");
    if (elapsedMs > 0 && running.Percent > 0 && duration > 0) {
        const double mediaSeconds = duration / 10.0 * running.Percent / 100.0;
        speed = QStringLiteral("%1x").arg(mediaSeconds / (static_cast<double>(elapsedMs) / 1000.0), 6, 'f', 2);
    }
    return QStringLiteral("%1 %2 %3% %4 ETA %5  %6")
        .arg(bar(running.Percent))
        .arg(running.Percent, 3)
        .arg(speed, timeLeft(running.Percent, elapsedMs), running.Name);
}

QString TCliProgress::TotalLine() const
{
    return QStringLiteral("%1 %2% total, %3 of %4 files ended, %5 elapsed, ETA %6")
        .arg(bar(m_totalPercent))
        .arg(m_totalPercent, 3)
        .arg(m_ended)
        .arg(m_total)
        .arg(ClockText(m_batchClock.elapsed() / 1000), timeLeft(m_totalPercent, m_batchClock.elapsed()));
}

void TCliProgress::Redraw(bool force)
{
    if (m_mode != Mode::Terminal || (!force && m_sinceRedraw.elapsed() < kRedrawMs))
        return;
    m_sinceRedraw.restart();
    if (m_liveLines > 0)
        m_out << "\x1b[" << m_liveLines << "F\x1b[J";
    m_liveLines = 0;
    for (int index : m_order) {
        m_out << RunningLine(index, m_running[index]) << '\n';
        ++m_liveLines;
    }
    m_out << TotalLine() << '\n';
    ++m_liveLines;
    m_out.flush();
}

void TCliProgress::HideView()
{
    if (m_mode == Mode::Terminal && m_liveLines > 0) {
        m_out << "\x1b[" << m_liveLines << "F\x1b[J";
        m_liveLines = 0;
        m_out.flush();
    }
}

void TCliProgress::ShowMessage(const QString& caption, const QString& text, PromptIcon)
{
    if (m_mode == Mode::Json && m_messages) {
        *m_messages << caption << QStringLiteral(": ") << text << '\n';
        m_messages->flush();
        return;
    }
    Line(caption + QStringLiteral(": ") + text);
}

TOverwriteAnswer TCliProgress::AskOverwrite(const QString& fileName)
{
    if (!m_readAnswer)
        return oaNone;
    HideView();
    // Asked where the user reads it: on the terminal the display is, or else on standard error.
    QTextStream& asked = m_mode == Mode::Terminal || !m_messages ? m_out : *m_messages;
    for (;;) {
        asked << QStringLiteral("%1 exists. Replace it? [y]es, [n]o, [a]ll, n[o]ne: ").arg(fileName);
        asked.flush();
        const QString typed = m_readAnswer();
        if (typed.isNull())
            return oaNone; // end of input: the file is kept
        const QString answer = typed.trimmed().toLower();
        if (answer == QLatin1String("y") || answer == QLatin1String("yes"))
            return oaYes;
        if (answer == QLatin1String("n") || answer == QLatin1String("no"))
            return oaNo;
        if (answer == QLatin1String("a") || answer == QLatin1String("all"))
            return oaYesAll;
        if (answer == QLatin1String("o") || answer == QLatin1String("none"))
            return oaNoAll;
    }
}

void TCliProgress::ShowBatchSummary(const TBatchSummary& summary)
{
    if (m_mode == Mode::Json) {
        m_out << QJsonDocument(QJsonObject{{QStringLiteral("event"), QStringLiteral("finished")},
                                           {QStringLiteral("converted"), summary.Converted},
                                           {QStringLiteral("skipped"), summary.Skipped},
                                           {QStringLiteral("failed"), summary.Failed},
                                           {QStringLiteral("renamed"), summary.Renamed}})
                     .toJson(QJsonDocument::Compact)
              << '\n';
    } else {
        m_out << summary.Headline << '\n';
    }
    m_out.flush();
}
