#include "core/conversion/conversion_request.h"

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

} // namespace

std::optional<TRequestRefusal> TConversionRequest::Check(const TConversionFields& f,
                                                         const TCommonConversionParameters& p)
{
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
        {!p.UseAudioBitRateFromDataBase && f.AudioBitRate.isEmpty(), QStringLiteral("Please enter the audio Bit Rate")},
        {!p.UseSamplingFromDataBase && f.Sampling.isEmpty(), QStringLiteral("Please enter the audio Sampling")},
        {noChannel && !p.UseChannelsCountFromDataBase,
         QStringLiteral("Please choose the audio Channels: Stereo or Mono")},
        {!p.UseVideoBitRateFromDataBase && f.VideoBitRate.isEmpty(), QStringLiteral("Please enter the video Bit Rate")},
        {!p.UseFrameRateFromDataBase && f.FrameRate.isEmpty(), QStringLiteral("Please enter the video Frame Rate")},
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

TCommonConversionParameters TConversionRequest::Assemble(const TConversionFields& f, TCommonConversionParameters p,
                                                         const TDeviceModel& model, qint32 totalDuration)
{
    p.AudioBitRate = p.UseAudioBitRateFromDataBase ? 0 : StrToFloatAnySeparator(f.AudioBitRate);
    p.Sampling = p.UseSamplingFromDataBase ? 0 : StrToInt(f.Sampling);
    if (!p.UseChannelsCountFromDataBase) {
        if (f.Stereo)
            p.Channels = 2;
        else if (f.Mono)
            p.Channels = 1;
    }
    p.VideoBitRate = p.UseVideoBitRateFromDataBase ? 0 : StrToFloatAnySeparator(f.VideoBitRate);
    p.FrameRate = p.UseFrameRateFromDataBase ? 0 : StrToFloatAnySeparator(f.FrameRate);
    p.ZoomMode = f.ZoomIndex == 0 ? zmFitToScreen : zmFullScreen;
    p.ResolutionType = static_cast<uint8_t>(f.ResolutionTypeIndex);
    p.ResolutionX = StrToInt(f.ResolutionX);
    p.ResolutionY = StrToInt(f.ResolutionY);
    p.Volume = StrToInt(f.Volume);
    if (f.OverwriteMode >= 0)
        p.OverwriteMode = static_cast<uint8_t>(f.OverwriteMode);
    if (f.PreserveLocation) {
        p.OutputLocation = olPreserve;
    } else if (f.SaveToFolder) {
        p.OutputLocation = olFolder;
        p.DestinationFolder = f.DestinationFolder;
        if (!p.DestinationFolder.endsWith(QLatin1Char('/')))
            p.DestinationFolder += QLatin1Char('/');
    }
    p.AudioQuality = static_cast<uint8_t>(f.AudioQualityIndex);
    p.VideoQuality = static_cast<uint8_t>(f.VideoQualityIndex);
    p.DeleteAfterConversion = f.DeleteAfterConversion;
    p.SetConvertedAsOriginal = f.SetConvertedAsOriginal;
    p.VideoCodec = model.VideoCodec;
    p.AudioCodec = model.AudioCodec;
    p.FileFormat = model.FileFormat;
    p.VideoProfile = model.VideoProfile;
    p.VideoLevel = model.VideoLevel;
    p.MaxVideoBitRate = model.MaxVideoBitRate.isEmpty() ? 0 : StrToFloatAnySeparator(model.MaxVideoBitRate);
    p.TotalDuration = totalDuration;
    return p;
}
