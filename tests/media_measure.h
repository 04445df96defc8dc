// Measurements on converted files made with the FFmpeg libraries, for encoder tests.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// Root-mean-square level of the decoded audio of a file (all channels, full scale 1.0);
// a negative value when the file has no decodable audio.
double audioRmsLevel(const std::string& path);

// The container's metadata tags ("title", "creation_time", ...).
std::map<std::string, std::string> containerTags(const std::string& path);

// Whether the file's video stream carries a rotation for players to apply.
bool videoHasRotation(const std::string& path);

// One stream of a file as the FFmpeg libraries read it back.
struct StreamFacts {
    bool present = false;
    std::string codec; // the codec's FFmpeg name: "h264", "aac", ...
    int profile = -1;  // FF_PROFILE_*, -99 (unknown) where the stream does not say
    int level = -1;
    int width = 0, height = 0;
    double frameRate = 0; // frames a second
    int sampleRate = 0, channels = 0;
    double startSeconds = 0;                     // first time stamp
    double endSeconds = 0;                       // last time stamp plus that packet's duration
    std::vector<std::pair<double, int>> packets; // (decoding time in seconds, bytes), in file order
};

struct MediaFacts {
    std::string container; // the demuxer's name
    StreamFacts video;     // the streams a conversion would use
    StreamFacts audio;
};

// Reads every packet of a file's chosen video and audio streams.
MediaFacts readMediaFacts(const std::string& path);

// The most bits per second in any window of the given length, from a stream's packets.
double peakBitRate(const StreamFacts& stream, double windowSeconds = 1.0);

// Where the bright part of the first decoded picture lies: the frame size and the smallest
// rectangle holding every pixel whose luma is above half scale (right and bottom exclusive).
// valid is false when no 8-bit YUV picture decodes.
struct BrightBox {
    bool valid = false;
    int frameWidth = 0, frameHeight = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};
BrightBox firstPictureBrightBox(const std::string& path);

// Writes an MPEG-TS file holding every packet of `first`, then every packet of `second` with its
// time stamps moved to follow on, as a recording whose picture or sound changes half way does.
// Both must be MPEG-TS files with the same codecs (parameters travel inside the streams).
// Returns false when either cannot be read or the output cannot be written.
bool joinTransportStreams(const std::string& first, const std::string& second, const std::string& output);
