// A conversion request as the window's fields state it: checked in the window's order, then
// turned into the batch settings.
#pragma once

#include "core/catalogue/device_records.h"
#include "core/conversion/conversion_parameters.h"
#include "core/prompts/user_prompts.h"

#include <QString>

#include <optional>

// The fields of the main window that a conversion reads, as the user left them.
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
};

// Why a request cannot go ahead: the message box the window shows.
struct TRequestRefusal {
    QString Caption;
    QString Text;
    PromptIcon Icon = PromptIcon::Warning;
};

class TConversionRequest {
public:
    // The first check the fields fail; nothing when they make a valid request. `current` is the
    // window's record, whose live flags say which values the source file gives instead.
    static std::optional<TRequestRefusal> Check(const TConversionFields& fields,
                                                const TCommonConversionParameters& current);

    // The batch settings: `current` updated from the fields and the chosen model; fields that do
    // not apply keep their earlier values. Throws EConvertError for a value that cannot be read.
    static TCommonConversionParameters Assemble(const TConversionFields& fields, TCommonConversionParameters current,
                                                const TDeviceModel& model, qint32 totalDuration);
};
