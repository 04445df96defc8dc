// Conversions between text and numbers with the messages the user sees when they fail.
#pragma once

#include <QString>

#include <stdexcept>

// A text that should hold a number does not.
class EConvertError : public std::runtime_error {
public:
    explicit EConvertError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};

// A decimal integer: leading blanks and a sign allowed, nothing after the digits.
// Throws EConvertError "'%s' is not a valid integer value".
int StrToInt(const QString& text);

// A float written with "," or "." as the decimal separator, whatever the locale.
double StrToFloatAnySeparator(const QString& text);

// A float in general form: at most 15 significant digits, no trailing zeros,
// the user's decimal separator (128 -> "128", 29.97 -> "29.97" or "29,97").
QString FloatToStr(double value);
