#include "core/conversion/conversion_fields.h"

#include "core/media/text_convert.h"

#include <QFileInfo>

namespace {

bool readsAsFloat(const QString& text)
{
    try {
        StrToFloatAnySeparator(text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

bool readsAsInteger(const QString& text)
{
    try {
        StrToInt(text);
        return true;
    } catch (const EConvertError&) {
        return false;
    }
}

// A level outside the list (a remembered setting gone wrong) stands for the best one, whose
// ceilings then limit what the source gives.
TQualityLevel levelOrBest(int index)
{
    return QualityLevelAt(index).value_or(qlBest);
}

} // namespace

std::optional<TRequestRefusal> CheckConversionFields(const TConversionFields& f)
{
    const TSourceFallbacks& source = f.FromSource;
    const bool noChannel = !f.Stereo && !f.Mono;
    const bool badFolder = !f.PreserveLocation && !QFileInfo(f.DestinationFolder).isDir();
    // In order; the first failing check is the one reported. The first four ask a question of the user.
    const auto notANumber = [](const char* field, const QString& text) {
        return QStringLiteral("The %1 is not a number: \"%2\"").arg(QLatin1String(field), text);
    };
    const struct {
        bool fails;
        QString message;
    } checks[] = {
        {f.FileCount == 0, QStringLiteral("Please add files to the conversion list")},
        {f.DeviceClass == 0, QStringLiteral("Please select a device type")},
        {f.Manufacturer.isEmpty(), QStringLiteral("Please select the device's manufacturer")},
        {f.Model.isEmpty(), QStringLiteral("Please select the device's model")},
        {!source.AudioBitRate && f.AudioBitRate.isEmpty(), QStringLiteral("Please enter the audio Bit Rate")},
        {!source.Sampling && f.Sampling.isEmpty(), QStringLiteral("Please enter the audio Sampling")},
        {noChannel && !source.Channels, QStringLiteral("Please choose the audio Channels: Stereo or Mono")},
        {!source.VideoBitRate && f.VideoBitRate.isEmpty(), QStringLiteral("Please enter the video Bit Rate")},
        {!source.FrameRate && f.FrameRate.isEmpty(), QStringLiteral("Please enter the video Frame Rate")},
        {f.Volume.isEmpty(), QStringLiteral("Please enter the audio Volume level")},
        {f.ZoomIndex < 0, QStringLiteral("Please choose a video Zoom Mode")},
        {f.ResolutionX.isEmpty(), QStringLiteral("Please enter the video Resolution width")},
        {f.ResolutionY.isEmpty(), QStringLiteral("Please enter the video Resolution height")},
        {badFolder,
         QStringLiteral("Please choose an existing folder to save the files to: \"%1\"").arg(f.DestinationFolder)},
        {!readsAsFloat(f.VideoBitRate), notANumber("video Bit Rate", f.VideoBitRate)},
        {!readsAsFloat(f.AudioBitRate), notANumber("audio Bit Rate", f.AudioBitRate)},
        {!readsAsFloat(f.FrameRate), notANumber("video Frame Rate", f.FrameRate)},
        {!readsAsInteger(f.Sampling),
         QStringLiteral("The audio Sampling is not a whole number: \"%1\"").arg(f.Sampling)},
    };
    for (size_t i = 0; i < std::size(checks); ++i) {
        if (checks[i].fails)
            return TRequestRefusal{QStringLiteral("Warning"), checks[i].message,
                                   i < 4 ? PromptIcon::Question : PromptIcon::Warning};
    }
    return std::nullopt;
}

TConversionRequest ReadConversionFields(const TConversionFields& f, const TDeviceModel& model, qint32 totalDuration)
{
    const TSourceFallbacks& source = f.FromSource;
    TConversionRequest r;
    r.VideoQuality = levelOrBest(f.VideoQualityIndex);
    r.AudioQuality = levelOrBest(f.AudioQualityIndex);
    if (!source.VideoBitRate)
        r.VideoBitRate = ReadKbitPerSecond(f.VideoBitRate);
    if (!source.FrameRate)
        r.FrameRate = StrToFloatAnySeparator(f.FrameRate);
    if (!source.AudioBitRate)
        r.AudioBitRate = ReadKbitPerSecond(f.AudioBitRate);
    if (!source.Sampling)
        r.Sampling = StrToInt(f.Sampling);
    if (!source.Channels && (f.Stereo || f.Mono))
        r.Channels = f.Stereo ? 2 : 1;
    r.ResolutionType = f.ResolutionTypeIndex == rtCustom ? rtCustom : rtOriginal;
    r.ResolutionX = StrToInt(f.ResolutionX);
    r.ResolutionY = StrToInt(f.ResolutionY);
    r.ZoomMode = f.ZoomIndex == 0 ? zmFitToScreen : zmFullScreen;
    r.Volume = StrToInt(f.Volume);
    if (f.OverwriteMode >= omAsk && f.OverwriteMode <= omNewName)
        r.OverwriteMode = static_cast<TOverwriteMode>(f.OverwriteMode);
    if (f.SaveToFolder && !f.PreserveLocation) {
        r.OutputLocation = olFolder;
        r.DestinationFolder = f.DestinationFolder;
        if (!r.DestinationFolder.endsWith(QLatin1Char('/')))
            r.DestinationFolder += QLatin1Char('/');
    }
    r.DeleteAfterConversion = f.DeleteAfterConversion;
    r.SetConvertedAsOriginal = f.SetConvertedAsOriginal;
    TakeDeviceFormats(model, r);
    r.TotalDuration = totalDuration;
    return r;
}
