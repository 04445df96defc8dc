// The option dialect the converter writes, parsed into a plain record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace enc {

struct EncoderOptions {
    std::string input;
    std::string format;
    int width = 0;
    int height = 0;
    std::string videoCodec;
    int volumePercent = 100;
    bool deinterlace = false;
    int padLeft = 0;
    int padRight = 0;
    int padTop = 0;
    int padBottom = 0;
    double frameRate = 0.0;   // 0 keeps the source's rate
    int64_t videoBitRate = 0; // bits per second; 0 is the encoder's default
    std::string videoProfile; // the device decoder's profile ("baseline", "main", "high"); empty: the default
    std::string videoLevel;   // the device decoder's level ("3.1"); empty: the lowest that holds the stream
    int64_t maxVideoRate = 0; // bits per second the device takes at the peak; 0: the level's limit
    std::string audioCodec;
    int64_t audioBitRate = 0; // bits per second; 0 is the encoder's default
    int channels = 0;         // 0 keeps the source's channels (at most two)
    int sampleRate = 0;       // 0 keeps the source's rate
    int asyncSamples = 0;
    std::optional<std::string> title;
    std::optional<std::string> timestamp;
    bool bitexact = false;
    bool overwrite = false;
    std::string output; // empty: probe only
};

struct ParseResult {
    EncoderOptions options;
    std::string error; // empty when the arguments were understood
};

ParseResult parseOptions(const std::vector<std::string>& args);

// "256k", "40,5k", "128000" -> bits per second; nullopt when the text is not a rate.
std::optional<int64_t> parseBitRate(const std::string& text);

} // namespace enc
