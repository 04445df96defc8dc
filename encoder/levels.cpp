#include "levels.h"

#include "ffmpeg_util.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace enc {
namespace {

constexpr int64_t kMpeg4VbvUnit = 16384; // bits

bool isH264(const std::string& codec)
{
    return codec == "libx264";
}
bool isMpeg4Part2(const std::string& codec)
{
    return codec == "mpeg4" || codec == "libxvid";
}

std::string kbps(int64_t bitsPerSecond)
{
    return std::to_string((bitsPerSecond + 500) / 1000) + " kbit/s";
}

int64_t macroblocks(int pixels)
{
    return (pixels + 15) / 16;
}

// "3.1", "31", "3", "3.0", "1b" and the like; the table's own names match first.
const CodecLevel* findLevel(const std::vector<CodecLevel>& table, const std::string& text, bool h264)
{
    for (const CodecLevel& level : table) {
        if (text == level.name)
            return &level;
    }
    if (!h264)
        return nullptr;
    std::string digits = text;
    if (digits.size() == 3 && digits[1] == '.' && digits[2] == '0')
        digits = digits.substr(0, 1); // "3.0" -> "3"
    else if (digits.size() == 2 && digits != "1b" && std::isdigit(static_cast<unsigned char>(digits[1])))
        digits = digits.substr(0, 1) + (digits[1] == '0' ? "" : "." + digits.substr(1)); // "31" -> "3.1"
    for (const CodecLevel& level : table) {
        if (digits == level.name)
            return &level;
    }
    return nullptr;
}

struct Scale {
    int64_t numerator = 1;
    int64_t denominator = 1;
    int64_t apply(int64_t value) const { return value * numerator / denominator; }
};

bool holdsFrame(const CodecLevel& level, int64_t widthMbs, int64_t heightMbs)
{
    const int64_t side = static_cast<int64_t>(std::sqrt(8.0 * static_cast<double>(level.maxFrameMbs)));
    return widthMbs * heightMbs <= level.maxFrameMbs && widthMbs <= side && heightMbs <= side;
}

bool holdsRate(const CodecLevel& level, int64_t frameMbs, AVRational rate)
{
    return static_cast<double>(frameMbs) * av_q2d(rate) <= static_cast<double>(level.maxMbsPerSecond) + 1e-6;
}

std::string sizeText(const VideoLimitRequest& r)
{
    return std::to_string(r.width) + "x" + std::to_string(r.height);
}

void applyLevel(const VideoLimitRequest& request, const std::vector<CodecLevel>& table, const char* codecName,
                Scale scale, VideoLimits& limits)
{
    const int64_t widthMbs = macroblocks(request.width);
    const int64_t heightMbs = macroblocks(request.height);
    const int64_t frameMbs = widthMbs * heightMbs;
    const bool h264 = isH264(request.codec);
    if (!request.level.empty()) {
        limits.level = findLevel(table, request.level, h264);
        if (!limits.level)
            throw EncoderError("'" + request.level + "' is not a " + codecName + " level");
        if (!holdsFrame(*limits.level, widthMbs, heightMbs))
            throw EncoderError(Reason::LevelExceeded,
                               "a " + sizeText(request) + " picture is larger than " + codecName + " level "
                                   + limits.level->name + " allows");
        if (!holdsRate(*limits.level, frameMbs, limits.frameRate)) {
            // The most frames a second the level takes at this size, to a thousandth.
            const double most = static_cast<double>(limits.level->maxMbsPerSecond) / static_cast<double>(frameMbs);
            limits.frameRate = av_make_q(static_cast<int>(std::floor(most * 1000)), 1000);
            av_reduce(&limits.frameRate.num, &limits.frameRate.den, limits.frameRate.num, limits.frameRate.den,
                      1 << 30);
            char line[160];
            std::snprintf(line, sizeof line, "the frame rate is lowered to %.3g fps, the most %s level %s takes at %s",
                          av_q2d(limits.frameRate), codecName, limits.level->name, sizeText(request).c_str());
            limits.notes.emplace_back(line);
        }
    } else {
        const int64_t wanted =
            request.maxRate > 0 && request.bitRate > request.maxRate ? request.maxRate : request.bitRate;
        for (const CodecLevel& level : table) {
            if (level.automatic && holdsFrame(level, widthMbs, heightMbs)
                && holdsRate(level, frameMbs, limits.frameRate) && wanted <= scale.apply(level.maxBitRate)) {
                limits.level = &level;
                break;
            }
        }
        if (!limits.level) {
            // Nothing conforms: mark the stream with the top level, whose rates are still a sane cap.
            limits.level = &table.back();
            char line[200];
            std::snprintf(line, sizeof line,
                          "a %s picture at %.5g fps is beyond every %s level; the stream is marked level %s",
                          sizeText(request).c_str(), av_q2d(limits.frameRate), codecName, limits.level->name);
            limits.notes.emplace_back(line);
        }
    }
    const int64_t levelRate = scale.apply(limits.level->maxBitRate);
    if (request.maxRate > 0 && request.maxRate <= levelRate) {
        limits.maxRate = request.maxRate;
    } else {
        limits.maxRate = levelRate;
        limits.peakRateSource = std::string("the most ") + codecName + " level " + limits.level->name + " takes";
    }
    // One second at the peak rate, never more than the level's buffer.
    limits.bufferSize = std::min(scale.apply(limits.level->maxBufferBits), limits.maxRate);
}

} // namespace

const std::vector<CodecLevel>& h264Levels()
{
    // Maximum frame size, macroblock rate, bit rate and buffer by level (baseline and main).
    static const std::vector<CodecLevel> table = {
        {"1", 10, 99, 1485, 64'000, 175'000, true},
        {"1b", 9, 99, 1485, 128'000, 350'000, true},
        {"1.1", 11, 396, 3000, 192'000, 500'000, true},
        {"1.2", 12, 396, 6000, 384'000, 1'000'000, true},
        {"1.3", 13, 396, 11880, 768'000, 2'000'000, true},
        {"2", 20, 396, 11880, 2'000'000, 2'000'000, true},
        {"2.1", 21, 792, 19800, 4'000'000, 4'000'000, true},
        {"2.2", 22, 1620, 20250, 4'000'000, 4'000'000, true},
        {"3", 30, 1620, 40500, 10'000'000, 10'000'000, true},
        {"3.1", 31, 3600, 108000, 14'000'000, 14'000'000, true},
        {"3.2", 32, 5120, 216000, 20'000'000, 20'000'000, true},
        {"4", 40, 8192, 245760, 20'000'000, 25'000'000, true},
        {"4.1", 41, 8192, 245760, 50'000'000, 62'500'000, true},
        {"4.2", 42, 8704, 522240, 50'000'000, 62'500'000, true},
        {"5", 50, 22080, 589824, 135'000'000, 135'000'000, true},
        {"5.1", 51, 36864, 983040, 240'000'000, 240'000'000, true},
        {"5.2", 52, 36864, 2073600, 240'000'000, 240'000'000, true},
    };
    return table;
}

const std::vector<CodecLevel>& mpeg4SimpleLevels()
{
    // Simple Profile: the code is the low nibble of profile_and_level_indication. Levels 0 and 0b
    // are named only on request: level 1 holds the same pictures and is known to every decoder.
    static const std::vector<CodecLevel> table = {
        {"1", 1, 99, 1485, 64'000, 10 * kMpeg4VbvUnit, true},
        {"0", 8, 99, 1485, 64'000, 10 * kMpeg4VbvUnit, false},
        {"0b", 9, 99, 1485, 128'000, 20 * kMpeg4VbvUnit, false},
        {"2", 2, 396, 5940, 128'000, 40 * kMpeg4VbvUnit, true},
        {"3", 3, 396, 11880, 384'000, 40 * kMpeg4VbvUnit, true},
        {"4a", 4, 1200, 36000, 4'000'000, 80 * kMpeg4VbvUnit, true},
        {"5", 5, 1620, 40500, 8'000'000, 112 * kMpeg4VbvUnit, true},
        {"6", 6, 3600, 108000, 12'000'000, 248 * kMpeg4VbvUnit, true},
    };
    return table;
}

VideoLimits decideVideoLimits(const VideoLimitRequest& request)
{
    VideoLimits limits;
    limits.frameRate = request.frameRate;
    limits.bitRate = request.bitRate;
    const bool h264 = isH264(request.codec);
    const bool mpeg4 = isMpeg4Part2(request.codec);
    if (h264) {
        limits.profile = request.profile.empty() ? "main" : request.profile;
        if (limits.profile != "baseline" && limits.profile != "main" && limits.profile != "high")
            throw EncoderError("'" + request.profile + "' is not an H.264 profile (baseline, main or high)");
        // High profile decoders take a quarter more bits than the table's baseline and main figures.
        applyLevel(request, h264Levels(), "H.264", limits.profile == "high" ? Scale{5, 4} : Scale{}, limits);
        limits.enforcesPeakRate = true;
    } else if (mpeg4) {
        if (!request.profile.empty() && request.profile != "simple")
            throw EncoderError("'" + request.codec + "' writes the simple profile only, not '" + request.profile + "'");
        limits.profile = "simple";
        limits.profileCode = 0; // FF_PROFILE_MPEG4_SIMPLE
        applyLevel(request, mpeg4SimpleLevels(), "MPEG-4 Simple Profile", Scale{}, limits);
        // FFmpeg's Xvid wrapper has no buffer model: only the average rate can be held.
        limits.enforcesPeakRate = request.codec == "mpeg4";
    } else {
        if (!request.profile.empty() || !request.level.empty())
            throw EncoderError("the video codec '" + request.codec + "' has no profiles or levels");
        limits.maxRate = request.maxRate;
    }
    if (limits.maxRate > 0 && limits.bitRate > limits.maxRate) {
        limits.notes.push_back("the video bit rate is lowered from " + kbps(limits.bitRate) + " to "
                               + kbps(limits.maxRate) + ", " + limits.peakRateSource);
        limits.bitRate = limits.maxRate;
    }
    return limits;
}

} // namespace enc
