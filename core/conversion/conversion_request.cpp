#include "core/conversion/conversion_request.h"

#include "core/media/text_convert.h"

#include <QtMath>

std::optional<TQualityLevel> QualityLevelAt(int index)
{
    if (index < qlBest || index > qlLow)
        return std::nullopt;
    return static_cast<TQualityLevel>(index);
}

int ReadKbitPerSecond(const QString& text)
{
    const double kbits = StrToFloatAnySeparator(text);
    // Past what an int holds, or not a number at all, it cannot be a bit rate.
    if (!(qAbs(kbits) < 2e9))
        throw EConvertError(QStringLiteral("'%1' is not a valid bit rate").arg(text));
    return qRound(kbits);
}

void TakeDeviceFormats(const TDeviceModel& model, TConversionRequest& request)
{
    request.VideoCodec = model.VideoCodec;
    request.AudioCodec = model.AudioCodec;
    request.FileFormat = model.FileFormat;
    request.VideoProfile = model.VideoProfile;
    request.VideoLevel = model.VideoLevel;
    request.MaxVideoBitRate = model.MaxVideoBitRate.isEmpty() ? 0 : StrToFloatAnySeparator(model.MaxVideoBitRate);
}
