// What a quality level puts in the quality fields for a model: the catalogue's values, or a
// suggestion where the catalogue leaves a value out, with the flag that makes the conversion take
// the source's own value (limited by the level's ceiling) instead. The window's quality panel and
// the command-line program fill their requests from here alike.
#pragma once

#include "core/catalogue/device_records.h"

#include <QString>

#include <optional>

struct TVideoQualityFields {
    QString BitRate;   // kbit/s
    QString FrameRate; // frames a second
    bool BitRateFromSource = false;
    bool FrameRateFromSource = false;
};

struct TAudioQualityFields {
    QString BitRate;  // kbit/s
    QString Sampling; // Hz
    // 1 mono, 2 stereo; 0 when the catalogue names another count, and the channel choice stays
    // as it was.
    int Channels = 0;
    bool BitRateFromSource = false;
    bool SamplingFromSource = false;
    bool ChannelsFromSource = false;
};

// What a quality level stands for where the catalogue names no value: the suggestion the fields
// show, and the ceiling on the source's own value that the conversion then takes. One row a level.
struct TQualityLevelValues {
    int VideoBitRate;      // kbit/s: suggestion and ceiling
    int FrameRate;         // frames a second: suggestion and ceiling
    int AudioBitRate;      // kbit/s: suggestion and ceiling
    int SuggestedSampling; // Hz
    int SamplingCeiling;   // Hz
    int Channels;          // suggestion and ceiling: 2 stereo, 1 mono
};
// Nothing for a level other than 0 (Best) .. 3 (Low).
const TQualityLevelValues* QualityLevelValues(int level);

// Nothing for a level other than 0 (Best) .. 3 (Low).
std::optional<TVideoQualityFields> VideoQualityFields(const TDeviceModel& model, int level);
std::optional<TAudioQualityFields> AudioQualityFields(const TDeviceModel& model, int level);
