#include "core/media/file_info.h"

#include "core/media/file_utils.h"
#include "core/media/text_convert.h"
#include "core/prompts/user_prompts.h"

namespace {

// Text from index `from` up to the first comma of s; empty when that comma does not lie after `from`.
QString fieldBeforeFirstComma(const QString& s, qsizetype from)
{
    const qsizetype comma = s.indexOf(QLatin1Char(','));
    if (comma <= from)
        return {};
    return s.mid(from, comma - from);
}

// Removes everything up to and including the first comma (nothing when there is none).
void dropThroughComma(QString& s)
{
    s.remove(0, s.indexOf(QLatin1Char(',')) + 1);
}

// Removes everything up to and including the first comma and the one character behind it
// (just the first character when there is no comma).
void dropThroughCommaAndBlank(QString& s)
{
    s.remove(0, s.indexOf(QLatin1Char(',')) + 2);
}

void dropUnitSuffix(QString& s)
{
    if (s.size() >= 5)
        s.chop(5);
}

void readChannels(const QString& text, TFileInfo& info)
{
    if (text == QLatin1String("mono"))
        info.Channels = 1;
    else if (text == QLatin1String("stereo"))
        info.Channels = 2;
}

void parseDuration(QString& s, TFileInfo& info)
{
    const qsizetype p = s.indexOf(QLatin1String("Duration:"));
    if (p < 0)
        return;
    info.Duration = fieldBeforeFirstComma(s, p + 10);
    dropThroughComma(s);
}

void parseBitRate(QString& s, TFileInfo& info)
{
    const qsizetype p = s.indexOf(QLatin1String("bitrate:"));
    if (p < 0)
        return;
    QString t = s.mid(p + 9);
    dropUnitSuffix(t);
    info.BitRate = StrToInt(t);
}

void parseVideo(QString& s, TFileInfo& info)
{
    const qsizetype p = s.indexOf(QLatin1String("Video:"));
    if (p < 0)
        return;
    info.VideoCodec = fieldBeforeFirstComma(s, p + 7);
    dropThroughComma(s);
    dropThroughCommaAndBlank(s); // the pixel format
    const qsizetype comma = s.indexOf(QLatin1Char(','));
    info.Resolution = comma < 0 ? QString() : s.left(comma);
    dropThroughCommaAndBlank(s);
    // One further field, such as a bit rate, may stand before the frame rate.
    const qsizetype extra = s.indexOf(QLatin1Char(','));
    if (extra >= 0)
        s = s.mid(extra + 1);
    const qsizetype unit = s.indexOf(QLatin1String(" fps(r)"));
    if (unit >= 0)
        s.remove(unit, 7);
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    if (point >= 0)
        s[point] = QLatin1Char(',');
    info.FrameRate = StrToFloatAnySeparator(s);
}

void parseAudio(QString& s, TFileInfo& info)
{
    const qsizetype p = s.indexOf(QLatin1String("Audio:"));
    if (p < 0)
        return;
    info.AudioCodec = fieldBeforeFirstComma(s, p + 7);
    dropThroughCommaAndBlank(s);
    // The number in front of the blank before "Hz".
    const qsizetype hz = s.indexOf(QLatin1String("Hz"));
    info.SamplingRate = StrToInt(hz > 1 ? s.left(hz - 1) : QString());
    dropThroughCommaAndBlank(s);
    const qsizetype comma = s.indexOf(QLatin1Char(','));
    if (comma < 0) {
        readChannels(s, info);
        return;
    }
    readChannels(s.left(comma), info);
    dropThroughCommaAndBlank(s);
    dropUnitSuffix(s);
    info.AudioBitRate = StrToInt(s);
}

} // namespace

bool IsUnsupported(const TFileInfo& info)
{
    return info.SizeMb == 0 || info.Duration.isEmpty() || info.VideoCodec.isEmpty();
}

TFileInfoParser::TFileInfoParser(const QString& mediaFile, const QString& programDir, TUserPrompts* prompts)
    : TPipeParser(programDir), MediaFile(mediaFile), m_prompts(prompts)
{}

void TFileInfoParser::Probe(TFileInfo& info)
{
    Arguments = QStringLiteral(" -i \"") + MediaFile + QLatin1Char('"');
    ArgumentList = {QStringLiteral("-i"), MediaFile};
    Run(true);
    ParseOutput(info);
}

void TFileInfoParser::ParseOutput(TFileInfo& info)
{
    TFileInfo work;
    ParseError.clear();
    try {
        // Every line goes through every step, so a later line overrides an earlier one.
        for (const QString& line : Output) {
            QString s = line;
            parseDuration(s, work);
            parseBitRate(s, work);
            parseVideo(s, work);
            parseAudio(s, work);
        }
    } catch (const EConvertError& e) {
        ParseError = e.message();
        if (m_prompts)
            m_prompts->ShowMessage(QStringLiteral("Error"),
                                   QStringLiteral("The report on %1 cannot be read: %2").arg(MediaFile, e.message()),
                                   PromptIcon::Error);
        return;
    }
    work.SizeMb = static_cast<double>(FileSizeOf(MediaFile)) / 1048576.0;
    work.FileName = FileNameOfPath(MediaFile);
    work.FilePath = MediaFile;
    info = work;
}
