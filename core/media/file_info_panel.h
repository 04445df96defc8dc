// The texts of the file-info panel for one media record.
#pragma once

#include "core/media/file_info.h"

struct TFileInfoPanelTexts {
    QString Duration;
    QString VideoCodec;
    QString VideoBitRate;
    QString Resolution;
    QString FrameRate;
    QString Chanels;
    QString AudioCodec;
    QString AudioBitRate;
    QString Sampling;
    QString Size;
    QString Path;
};

TFileInfoPanelTexts FileInfoPanelTexts(const TFileInfo& info);
