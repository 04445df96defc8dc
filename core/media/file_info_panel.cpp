#include "core/media/file_info_panel.h"

#include "core/media/text_convert.h"

TFileInfoPanelTexts FileInfoPanelTexts(const TFileInfo& info)
{
    TFileInfoPanelTexts t;
    t.Duration = info.Duration;
    t.VideoCodec = info.VideoCodec;
    t.VideoBitRate = FloatToStr(info.BitRate) + QStringLiteral(" kbit/s");
    t.Resolution = info.Resolution;
    t.FrameRate = FloatToStr(info.FrameRate) + QStringLiteral(" fps");
    // An unrecognised channel layout shows as stereo.
    t.Chanels = info.Channels == 1 ? QStringLiteral("mono") : QStringLiteral("stereo");
    t.AudioCodec = info.AudioCodec;
    t.AudioBitRate = FloatToStr(info.AudioBitRate) + QStringLiteral(" kbit/s");
    t.Sampling = QString::number(info.SamplingRate) + QStringLiteral(" Hz");
    t.Size = FloatToStr(info.SizeMb).left(4) + QStringLiteral(" mb");
    t.Path = info.FilePath;
    return t;
}
