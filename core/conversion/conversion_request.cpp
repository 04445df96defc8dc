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
    const struct {
        bool fails;
        const char* message;
    } checks[] = {
        {f.FileCount == 0, "Please add files to conversion list"},
        {f.DeviceClass == 0, "Please select device type"},
        {f.Manufacturer.isEmpty(), "Please select device manufacturer"},
        {f.Model.isEmpty(), "Please select device model"},
        {!p.UseAudioBitRateFromDataBase && f.AudioBitRate.isEmpty(), "Please enter Audio Bitrate"},
        {!p.UseSamplingFromDataBase && f.Sampling.isEmpty(), "Please enter Sampling"},
        {noChannel && !p.UseChannelsCountFromDataBase, "Please enter Chanels"},
        {!p.UseVideoBitRateFromDataBase && f.VideoBitRate.isEmpty(), "Please enter Video Bitrate"},
        {!p.UseFrameRateFromDataBase && f.FrameRate.isEmpty(), "Please enter FrameRate"},
        {f.Volume.isEmpty(), "Please enter Volume level"},
        {f.ZoomIndex < 0, "Please enter Zoom mode"},
        {f.ResolutionX.isEmpty(), "Please enter Resolution width"},
        {f.ResolutionY.isEmpty(), "Please enter Resolution heigth"},
        {badFolder, "Please enter correct Destination Path"},
        {!readsAsFloat(f.VideoBitRate), "Please input valid Video BitRate"},
        {!readsAsFloat(f.AudioBitRate), "Please input valid Audio BitRate"},
        {!readsAsFloat(f.FrameRate), "Please input valid FrameRate"},
        {!readsAsInteger(f.Sampling), "Please input valid Sampling"},
    };
    for (size_t i = 0; i < std::size(checks); ++i) {
        if (checks[i].fails)
            return TRequestRefusal{QStringLiteral("Warning"), QString::fromLatin1(checks[i].message),
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
