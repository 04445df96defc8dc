// The main window's fields that a conversion reads, as the user left them: checked in the
// window's order, then read once into a conversion request.
#pragma once

#include "core/catalogue/device_records.h"
#include "core/conversion/conversion_request.h"
#include "core/prompts/user_prompts.h"

#include <QString>

#include <optional>

// Which quality fields hold a level's suggestion because the catalogue gives no value: the
// conversion takes the source's own value instead. Editing a field clears its flag.
struct TSourceFallbacks {
    bool VideoBitRate = false;
    bool FrameRate = false;
    bool AudioBitRate = false;
    bool Sampling = false;
    bool Channels = false;
};

struct TConversionFields {
    int FileCount = 0;
    int DeviceClass = 0; // 1..4, 0 none
    QString Manufacturer;
    QString Model;
    QString AudioBitRate;
    QString Sampling;
    bool Stereo = false;
    bool Mono = false;
    QString VideoBitRate;
    QString FrameRate;
    QString Volume;
    int ZoomIndex = -1; // item of the zoom mode list, -1 none
    int ResolutionTypeIndex = -1;
    QString ResolutionX;
    QString ResolutionY;
    bool PreserveLocation = false;
    bool SaveToFolder = false;
    QString DestinationFolder;
    int OverwriteMode = -1; // the chosen overwrite button, -1 none
    int VideoQualityIndex = -1;
    int AudioQualityIndex = -1;
    bool DeleteAfterConversion = false;
    bool SetConvertedAsOriginal = false;
    TSourceFallbacks FromSource;
};

// Why a request cannot go ahead: the message box the window shows.
struct TRequestRefusal {
    QString Caption;
    QString Text;
    PromptIcon Icon = PromptIcon::Warning;
};

// The first check the fields fail; nothing when they make a valid request.
std::optional<TRequestRefusal> CheckConversionFields(const TConversionFields& fields);

// The request the checked fields make with the chosen model. A value the source gives is left
// empty; no overwrite button asks, and neither location button keeps outputs beside their sources.
// Throws EConvertError for a value that cannot be read.
TConversionRequest ReadConversionFields(const TConversionFields& fields, const TDeviceModel& model,
                                        qint32 totalDuration);
