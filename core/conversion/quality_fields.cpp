#include "core/conversion/quality_fields.h"

#include <iterator>

namespace {

const TQualityLevelValues kLevels[] = {
    {256, 30, 64, 22050, 22050, 2}, // Best
    {128, 15, 32, 22000, 8000, 1},  // Good
    {64, 8, 24, 22000, 8000, 1},    // Medium
    {32, 4, 16, 22000, 8000, 1},    // Low
};

// The catalogue's value, or the suggestion; fromSource says that the suggestion stands in.
QString valueOrSuggestion(const QString& value, int suggestion, bool& fromSource)
{
    fromSource = value.isEmpty();
    return fromSource ? QString::number(suggestion) : value;
}

} // namespace

const TQualityLevelValues* QualityLevelValues(int level)
{
    return level >= 0 && level < static_cast<int>(std::size(kLevels)) ? &kLevels[level] : nullptr;
}

std::optional<TVideoQualityFields> VideoQualityFields(const TDeviceModel& model, int level)
{
    const TQuality* q = model.Level(level);
    if (!q)
        return std::nullopt;
    const TQualityLevelValues& s = kLevels[level];
    TVideoQualityFields fields;
    fields.BitRate = valueOrSuggestion(q->Video.BitRate, s.VideoBitRate, fields.BitRateFromSource);
    fields.FrameRate = valueOrSuggestion(q->Video.FrameRate, s.FrameRate, fields.FrameRateFromSource);
    return fields;
}

std::optional<TAudioQualityFields> AudioQualityFields(const TDeviceModel& model, int level)
{
    const TQuality* q = model.Level(level);
    if (!q)
        return std::nullopt;
    const TQualityLevelValues& s = kLevels[level];
    TAudioQualityFields fields;
    fields.BitRate = valueOrSuggestion(q->Audio.BitRate, s.AudioBitRate, fields.BitRateFromSource);
    fields.Sampling = valueOrSuggestion(q->Audio.Sampling, s.SuggestedSampling, fields.SamplingFromSource);
    switch (q->Audio.Channels) {
    case 1:
    case 2:
        fields.Channels = q->Audio.Channels;
        break;
    case 0:
        fields.Channels = s.Channels;
        fields.ChannelsFromSource = true;
        break;
    default:
        break;
    }
    return fields;
}
