#include "core/conversion/quality_fields.h"

namespace {

struct Suggestions {
    const char* videoBitRate;
    const char* frameRate;
    const char* audioBitRate;
    const char* sampling;
    bool stereo;
};

// What the fields show for a value the catalogue leaves out, by quality level.
const Suggestions kSuggestions[] = {
    {"256", "30", "64", "22050", true},
    {"128", "15", "32", "22000", false},
    {"64", "8", "24", "22000", false},
    {"32", "4", "16", "22000", false},
};

// The catalogue's value, or the suggestion; fromSource says that the suggestion stands in.
QString valueOrSuggestion(const QString& value, const char* suggestion, bool& fromSource)
{
    fromSource = value.isEmpty();
    return fromSource ? QString::fromLatin1(suggestion) : value;
}

} // namespace

std::optional<TVideoQualityFields> VideoQualityFields(const TDeviceModel& model, int level)
{
    const TQuality* q = model.Level(level);
    if (!q)
        return std::nullopt;
    const Suggestions& s = kSuggestions[level];
    TVideoQualityFields fields;
    fields.BitRate = valueOrSuggestion(q->Video.BitRate, s.videoBitRate, fields.BitRateFromSource);
    fields.FrameRate = valueOrSuggestion(q->Video.FrameRate, s.frameRate, fields.FrameRateFromSource);
    return fields;
}

std::optional<TAudioQualityFields> AudioQualityFields(const TDeviceModel& model, int level)
{
    const TQuality* q = model.Level(level);
    if (!q)
        return std::nullopt;
    const Suggestions& s = kSuggestions[level];
    TAudioQualityFields fields;
    fields.BitRate = valueOrSuggestion(q->Audio.BitRate, s.audioBitRate, fields.BitRateFromSource);
    fields.Sampling = valueOrSuggestion(q->Audio.Sampling, s.sampling, fields.SamplingFromSource);
    switch (q->Audio.Channels) {
    case 1:
    case 2:
        fields.Channels = q->Audio.Channels;
        break;
    case 0:
        fields.Channels = s.stereo ? 2 : 1;
        fields.ChannelsFromSource = true;
        break;
    default:
        break;
    }
    return fields;
}
