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

// Nothing for a level other than 0 (Best) .. 3 (Low).
std::optional<TVideoQualityFields> VideoQualityFields(const TDeviceModel& model, int level);
std::optional<TAudioQualityFields> AudioQualityFields(const TDeviceModel& model, int level);
