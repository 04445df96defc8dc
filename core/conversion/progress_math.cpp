#include "core/conversion/progress_math.h"

#include "core/conversion/pad_calculator.h"

#include <algorithm>

namespace {

// The digits before the first character that is not one (with an optional sign); 0 if none.
qint64 leadingInteger(const QByteArray& text)
{
    qint64 value = 0;
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000000; ++i)
        value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

} // namespace

QString ClockText(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    const qint64 hours = seconds / 3600;
    const QLatin1Char zero('0');
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60, hours > 0 ? 2 : 1, 10, zero).arg(seconds % 60, 2, 10, zero);
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds : minutesAndSeconds;
}

TChunkTime ReadChunkTime(const QByteArray& chunk)
{
    TChunkTime result;
    const qsizetype at = chunk.indexOf("time=");
    if (at < 0)
        return result;
    result.HasTimeKeyword = true;
    QByteArray text = chunk.mid(at, std::max<qsizetype>(chunk.size() - 2 - at, 0));
    const qsizetype blank = text.indexOf(' ');
    if (blank >= 0)
        text.truncate(blank);
    text.remove(0, 5);
    if (text.isEmpty())
        return result;
    result.HasValue = true;
    const qsizetype point = text.indexOf('.');
    const qint64 whole = point < 0 ? 0 : leadingInteger(text.left(point));
    const qint64 fraction = leadingInteger(point < 0 ? text : text.mid(point + 1));
    result.Tenths = static_cast<qint32>(whole * 10 + fraction);
    return result;
}

qint32 PercentOf(qint64 tenths, qint64 total)
{
    if (total == 0)
        return 0;
    return NearestEven(static_cast<double>(tenths) * 100.0 / static_cast<double>(total));
}

qint32 BarPosition(qint32 value)
{
    return std::clamp(value, 0, 100);
}

QString EstimatedTimeText(qint32 estimateTenths, qint32 elapsedSeconds)
{
    const qint32 shown = estimateTenths >= elapsedSeconds * 10 ? NearestEven(estimateTenths / 10.0) : elapsedSeconds;
    return QStringLiteral("Estimated Time: ") + ClockText(shown);
}

QString ElapsedTimeText(qint32 elapsedSeconds)
{
    return QStringLiteral("Time Elapsed: ") + ClockText(elapsedSeconds);
}
