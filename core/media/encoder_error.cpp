#include "core/media/encoder_error.h"

#include <QRegularExpression>

QString TEncoderError::Line() const
{
    return IsEmpty() ? QString() : QStringLiteral("Error: ") + Text;
}

TEncoderError ParseEncoderErrorLine(const QString& line)
{
    static const QRegularExpression pattern(QStringLiteral("^Error(?:\\[([a-z0-9-]+)\\])?:(.*)$"));
    const QRegularExpressionMatch match = pattern.match(line.trimmed());
    if (!match.hasMatch())
        return {};
    return {match.captured(1), match.captured(2).trimmed()};
}

TEncoderError LastEncoderError(const QByteArray& output)
{
    const QStringList lines = QString::fromUtf8(output).split(QRegularExpression(QStringLiteral("[\r\n]")));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        const TEncoderError error = ParseEncoderErrorLine(*line);
        if (!error.IsEmpty())
            return error;
    }
    return {};
}
