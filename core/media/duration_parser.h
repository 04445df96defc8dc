// Reads a duration text "hh:mm:ss.f..." into its parts and into tenths of a second.
#pragma once

#include <QString>

class TDurationParser {
public:
    explicit TDurationParser(const QString& text) : m_text(text) {}

    // Each field read as a decimal integer; a text too short for a field throws EConvertError.
    qint32 Hours() const;
    qint32 Minutes() const;
    qint32 Seconds() const;
    qint32 Tenths() const;
    // "hh:mm:ss"
    QString ShortText() const;
    qint32 TotalTenths() const;

private:
    QString m_text;
};
