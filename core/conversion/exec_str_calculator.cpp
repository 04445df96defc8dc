#include "core/conversion/exec_str_calculator.h"

#include "core/conversion/pad_calculator.h"
#include "core/conversion/quality_fields.h"
#include "core/media/file_utils.h"
#include "core/media/text_convert.h"

namespace {

// A number as the encoder reads it: a decimal point whatever the user's locale, no grouping.
QString decimal(double value)
{
    return QString::number(value, 'g', 15);
}

// The ceiling when the source's value reaches it, else the source's value.
QString limited(int ceiling, double sourceValue, const QString& sourceText)
{
    return sourceValue >= ceiling ? QString::number(ceiling) : sourceText;
}

// A level's row of the table; a value outside it stands for the best level.
const TQualityLevelValues& ceilingsOf(TQualityLevel level)
{
    const TQualityLevelValues* values = QualityLevelValues(level);
    return values ? *values : *QualityLevelValues(qlBest);
}

QString quoted(const QString& text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

} // namespace

TExecStrCalculator::TExecStrCalculator(const QString& programDir) : m_programDir(programDir)
{}

QString TExecStrCalculator::EncoderPath() const
{
    return m_programDir + QStringLiteral("encoder/encoder");
}

QList<TExecStrCalculator::Piece> TExecStrCalculator::Pieces() const
{
    const TConversionRequest& p = Parameters;

    qint32 screenWidth = p.ResolutionX;
    qint32 screenHeight = p.ResolutionY;
    OrientScreenToSource(FileInfo.Resolution, screenWidth, screenHeight);
    QString size = QString::number(screenWidth) + QLatin1Char('x') + QString::number(screenHeight);
    QList<Piece> pads;
    if (p.ZoomMode == zmFitToScreen) {
        TPadResult pad;
        TPadCalculator(FileInfo.Resolution, screenWidth, screenHeight).Calculate(pad);
        size = QString::number(pad.Width) + QLatin1Char('x') + QString::number(pad.Height);
        // The right and bottom borders take what rounding left over, so the frame is the screen.
        auto borders = [&pads](qint32 before, qint32 after, const char* beforeName, const char* afterName) {
            if (before == 0 && after == 0)
                return;
            const QString b = QString::number(before);
            const QString a = QString::number(after);
            const QString first = QLatin1String(beforeName);
            const QString second = QLatin1String(afterName);
            pads.append(
                {QLatin1Char(' ') + first + QLatin1Char(' ') + b + QLatin1Char(' ') + second + QLatin1Char(' ') + a,
                 {first, b, second, a}});
        };
        borders(pad.LeftRight, pad.Right, "-padleft", "-padright");
        borders(pad.TopBottom, pad.Bottom, "-padtop", "-padbottom");
    }

    // Where the request leaves a value to the source, the source's own, limited by the level's ceiling.
    const TQualityLevelValues& video = ceilingsOf(p.VideoQuality);
    const TQualityLevelValues& audio = ceilingsOf(p.AudioQuality);
    const QString frameRate =
        p.FrameRate ? decimal(*p.FrameRate) : limited(video.FrameRate, FileInfo.FrameRate, decimal(FileInfo.FrameRate));
    const QString videoBitRate = p.VideoBitRate
        ? QString::number(*p.VideoBitRate)
        : limited(video.VideoBitRate, FileInfo.BitRate, decimal(FileInfo.BitRate));
    const QString audioBitRate = p.AudioBitRate
        ? QString::number(*p.AudioBitRate)
        : limited(audio.AudioBitRate, FileInfo.AudioBitRate, decimal(FileInfo.AudioBitRate));
    const QString sampling = p.Sampling
        ? QString::number(*p.Sampling)
        : limited(audio.SamplingCeiling, FileInfo.SamplingRate, QString::number(FileInfo.SamplingRate));
    const int sourceChannels = FileInfo.Channels >= 2 ? audio.Channels : FileInfo.Channels;
    const QString channels = QString::number(p.Channels.value_or(sourceChannels));

    QString title = FileNameOfPath(SourceFile);
    const qsizetype dot = title.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        title.truncate(dot);

    QList<Piece> pieces;
    pieces.append({QStringLiteral(" -i ") + quoted(SourceFile), {QStringLiteral("-i"), SourceFile}});
    pieces.append({QStringLiteral(" -f ") + p.FileFormat, {QStringLiteral("-f"), p.FileFormat}});
    pieces.append({QStringLiteral(" -s ") + size, {QStringLiteral("-s"), size}});
    pieces.append({QStringLiteral(" -vcodec ") + p.VideoCodec, {QStringLiteral("-vcodec"), p.VideoCodec}});
    const QString volume = QString::number(p.Volume);
    pieces.append({QStringLiteral(" -vol ") + volume, {QStringLiteral("-vol"), volume}});
    pieces.append({QStringLiteral(" -deinterlace "), {QStringLiteral("-deinterlace")}});
    pieces.append(pads);
    pieces.append({QStringLiteral(" -r ") + frameRate, {QStringLiteral("-r"), frameRate}});
    const QString vb = videoBitRate + QLatin1Char('k');
    pieces.append({QStringLiteral(" -b ") + vb, {QStringLiteral("-b"), vb}});
    if (!p.VideoProfile.isEmpty())
        pieces.append({QStringLiteral(" -vprofile ") + p.VideoProfile, {QStringLiteral("-vprofile"), p.VideoProfile}});
    if (!p.VideoLevel.isEmpty())
        pieces.append({QStringLiteral(" -level ") + p.VideoLevel, {QStringLiteral("-level"), p.VideoLevel}});
    if (p.MaxVideoBitRate > 0) {
        const QString peak = decimal(p.MaxVideoBitRate) + QLatin1Char('k');
        pieces.append({QStringLiteral(" -maxrate ") + peak, {QStringLiteral("-maxrate"), peak}});
    }
    pieces.append({QStringLiteral(" -acodec ") + p.AudioCodec, {QStringLiteral("-acodec"), p.AudioCodec}});
    const QString ab = audioBitRate + QLatin1Char('k');
    pieces.append({QStringLiteral(" -ab ") + ab, {QStringLiteral("-ab"), ab}});
    pieces.append({QStringLiteral(" -ac ") + channels, {QStringLiteral("-ac"), channels}});
    pieces.append({QStringLiteral(" -ar ") + sampling, {QStringLiteral("-ar"), sampling}});
    pieces.append({QStringLiteral(" -async 100"), {QStringLiteral("-async"), QStringLiteral("100")}});
    pieces.append({QStringLiteral(" -title ") + quoted(title), {QStringLiteral("-title"), title}});
    if (p.SetConvertedAsOriginal) {
        const QString stamp = FileCreationDateText(SourceFile);
        pieces.append({QStringLiteral(" -timestamp ") + quoted(stamp), {QStringLiteral("-timestamp"), stamp}});
    }
    pieces.append({QStringLiteral(" -bitexact -y "), {QStringLiteral("-bitexact"), QStringLiteral("-y")}});
    pieces.append({quoted(TargetFile), {TargetFile}});
    return pieces;
}

QString TExecStrCalculator::GetExecString() const
{
    QString text = quoted(EncoderPath());
    for (const Piece& piece : Pieces())
        text += piece.text;
    return text;
}

QStringList TExecStrCalculator::GetArguments() const
{
    QStringList args;
    for (const Piece& piece : Pieces())
        args += piece.args;
    return args;
}
