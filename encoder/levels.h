// What a device's video decoder can take: H.264 and MPEG-4 Part 2 profiles and levels, and the
// peak rate, buffer, bit rate and frame rate a stream must keep to so that it plays there.
#pragma once

extern "C" {
#include <libavutil/rational.h>
}

#include <cstdint>
#include <string>
#include <vector>

namespace enc {

// One level of a codec's level table, in the units of the standards' tables.
struct CodecLevel {
    const char* name;        // "3.1", "4a"
    int code;                // H.264 level_idc, or the low nibble of MPEG-4's profile_and_level_indication
    int64_t maxFrameMbs;     // macroblocks a frame
    int64_t maxMbsPerSecond; // macroblocks a second
    int64_t maxBitRate;      // bit/s: the peak video rate (H.264: baseline and main; high takes 1.25 times)
    int64_t maxBufferBits;   // the decoder's buffer, scaled as maxBitRate
    bool automatic;          // may be chosen when no level is named
};

// What the caller asks for: the picture, its rate and bit rate, and the device's limits, each
// empty or 0 when not given.
struct VideoLimitRequest {
    std::string codec; // FFmpeg encoder name: "libx264", "mpeg4", "libxvid", ...
    int width = 0;     // the whole coded frame, borders included
    int height = 0;
    AVRational frameRate{25, 1};
    int64_t bitRate = 0; // bit/s; 0 lets the encoder choose
    std::string profile; // "baseline", "main", "high"; "simple" for MPEG-4
    std::string level;   // "3.1", "31", "1b"; MPEG-4: "0", "0b", "1" .. "3", "4a", "5", "6"
    int64_t maxRate = 0; // bit/s: the device's peak video rate
};

// The settings that keep a stream within the device's decoder.
struct VideoLimits {
    std::string profile;  // the encoder's profile name, empty for codecs without profiles
    int profileCode = -1; // FF_PROFILE_* for codecs whose profile is set on the context
    const CodecLevel* level = nullptr;
    int64_t maxRate = 0;         // bit/s, 0 for none
    int64_t bufferSize = 0;      // bits, 0 for none
    int64_t bitRate = 0;         // the (possibly lowered) average bit rate; 0 keeps the encoder's choice
    AVRational frameRate{25, 1}; // the (possibly lowered) frame rate
    std::string peakRateSource = "the device's peak rate"; // why maxRate is what it is
    bool enforcesPeakRate = false;                         // the encoder keeps a buffer model (VBV) at maxRate
    std::vector<std::string> notes;                        // plain lines for standard error: what was lowered and why
};

// Applies the decoder limits to a request. For H.264 and MPEG-4 Part 2 (native or Xvid) a level
// is always chosen: the requested one, else the lowest whose frame size, macroblock rate and peak
// rate hold the stream. The peak rate is the device's when given, never above the level's; a
// bit rate above it and a frame rate above what the requested level holds at this size are
// lowered (and said so in notes); a stream beyond every level is marked with the top one (noted).
// Other codecs only have their bit rate held under maxRate. Throws EncoderError for a profile or
// level the codec does not know, and for a picture larger than the named level holds.
VideoLimits decideVideoLimits(const VideoLimitRequest& request);

// The level tables, lowest first; exposed for tests.
const std::vector<CodecLevel>& h264Levels();
const std::vector<CodecLevel>& mpeg4SimpleLevels();

} // namespace enc
