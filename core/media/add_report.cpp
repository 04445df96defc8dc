#include "core/media/add_report.h"

namespace {

QString reasonPhrase(TRefusal refusal, const QString& detail)
{
    switch (refusal) {
    case TRefusal::UndecodableVideo:
        return QStringLiteral("the video codec %1 cannot be decoded").arg(detail);
    case TRefusal::NotFound:
        return QStringLiteral("the file was not found");
    case TRefusal::Empty:
        return QStringLiteral("the file is empty");
    case TRefusal::Folder:
        return QStringLiteral("this is a folder, not a file");
    case TRefusal::NoVideo:
        return QStringLiteral("the file has no video stream");
    case TRefusal::Unreadable:
    case TRefusal::None:
        break;
    }
    return QStringLiteral("the file format is unsupported or the file is broken");
}

// The detail in brackets after the reason, unless the reason already says it.
QString inBrackets(TRefusal refusal, const QString& detail)
{
    if (detail.isEmpty() || refusal == TRefusal::UndecodableVideo)
        return {};
    return QStringLiteral(" (") + detail + QLatin1Char(')');
}

} // namespace

void TAddReport::Add(const TProbeOutcome& outcome)
{
    if (outcome.Refusal != TRefusal::None)
        m_refused.append(outcome);
}

QString TAddReport::ReasonText(TRefusal refusal, const QString& detail)
{
    return reasonPhrase(refusal, detail) + inBrackets(refusal, detail);
}

QString TAddReport::Text() const
{
    const QString refused = refusedText();
    const QString alreadyListed = alreadyListedText();
    if (refused.isEmpty() || alreadyListed.isEmpty())
        return refused + alreadyListed;
    return refused + QStringLiteral("\n\n") + alreadyListed;
}

QString TAddReport::alreadyListedText() const
{
    if (m_alreadyListed == 0)
        return {};
    if (m_alreadyListed == 1)
        return QStringLiteral("1 file was already in the list and was not added again.");
    return QStringLiteral("%1 files were already in the list and were not added again.").arg(m_alreadyListed);
}

QString TAddReport::refusedText() const
{
    if (m_refused.isEmpty())
        return {};
    if (m_refused.size() == 1) {
        const TProbeOutcome& only = m_refused.constFirst();
        return QStringLiteral("Sorry, ") + reasonPhrase(only.Refusal, only.Detail) + QStringLiteral(": ") + only.Path
            + inBrackets(only.Refusal, only.Detail);
    }
    QString text = QStringLiteral("%1 files were not added:\n").arg(m_refused.size());
    for (qsizetype i = 0; i < m_refused.size() && i < kMaxListed; ++i) {
        const TProbeOutcome& refused = m_refused[i];
        text += QLatin1Char('\n') + refused.Path + QStringLiteral(": ") + ReasonText(refused.Refusal, refused.Detail);
    }
    if (m_refused.size() > kMaxListed)
        text += QStringLiteral("\n... and %1 more.").arg(m_refused.size() - kMaxListed);
    return text;
}
