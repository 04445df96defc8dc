#include "core/media/text_convert.h"

#include <QLocale>

#include <algorithm>

namespace {

QString integerError(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString floatError(const QString& text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

bool parseLocaleFloat(const QLocale& locale, const QString& text, double& value)
{
    QLocale strict = locale;
    strict.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    value = strict.toDouble(text.trimmed(), &ok);
    return ok;
}

} // namespace

int StrToInt(const QString& text)
{
    int start = 0;
    while (start < text.size() && text.at(start) == QLatin1Char(' '))
        ++start;
    const QString number = text.mid(start);
    bool ok = false;
    // Only plain decimal digits after an optional sign: no blanks after, no group separators.
    const bool plain = !number.isEmpty()
        && std::all_of(number.begin() + ((number[0] == QLatin1Char('-') || number[0] == QLatin1Char('+')) ? 1 : 0),
                       number.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
    const int value = plain ? number.toInt(&ok, 10) : 0;
    if (!ok)
        throw EConvertError(integerError(text));
    return value;
}

double StrToFloatAnySeparator(const QString& text)
{
    double value = 0;
    if (parseLocaleFloat(QLocale(), text, value))
        return value;
    QString pointed = text;
    pointed.replace(QLatin1Char(','), QLatin1Char('.'));
    // The second reading takes "." as the separator whatever the locale, so that
    // "29.97" also reads under a decimal-comma locale.
    if (parseLocaleFloat(QLocale::c(), pointed, value))
        return value;
    throw EConvertError(floatError(pointed));
}

QString FloatToStr(double value)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}
