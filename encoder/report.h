// The text report of a probe, in the old FFmpeg style the converter reads.
#pragma once

#include <cstdint>
#include <string>

namespace enc {

struct VideoStreamInfo {
    int index = 0;
    std::string codec;
    std::string pixelFormat;
    int width = 0; // display size, rotation and pixel aspect applied
    int height = 0;
    double frameRate = 0;
};

struct AudioStreamInfo {
    int index = 0;
    std::string codec;
    int sampleRate = 0;
    std::string channelLayout; // "mono", "stereo", "5.1", ...
    int64_t bitRateKbps = -1;  // -1: not known, left out of the line
};

std::string inputLine(const std::string& formatName);
std::string durationLine(int64_t durationUs, int64_t startUs, int64_t bitRateKbps);
std::string videoLine(const VideoStreamInfo& info);
std::string audioLine(const AudioStreamInfo& info);

// One status line while converting, ended by "\r" (time: seconds of output written).
std::string statusLine(int64_t frames, double fps, double quality, int64_t sizeBytes, double timeSeconds,
                       double bitRateKbps);

// A report field must not carry the separators the reader cuts at.
std::string sanitizeField(std::string text);

} // namespace enc
