#include "core/media/duration_parser.h"

#include "core/media/text_convert.h"

qint32 TDurationParser::Hours() const
{
    return StrToInt(m_text.mid(0, 2));
}
qint32 TDurationParser::Minutes() const
{
    return StrToInt(m_text.mid(3, 2));
}
qint32 TDurationParser::Seconds() const
{
    return StrToInt(m_text.mid(6, 2));
}
qint32 TDurationParser::Tenths() const
{
    return StrToInt(m_text.mid(9, 1));
}
QString TDurationParser::ShortText() const
{
    return m_text.left(8);
}

qint32 TDurationParser::TotalTenths() const
{
    const qint32 hours = Hours();
    const qint32 minutes = Minutes();
    const qint32 seconds = Seconds();
    const qint32 tenths = Tenths();
    return ((hours * 60 + minutes) * 60 + seconds) * 10 + tenths;
}
