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

// The colour description a file's video stream carries (FFmpeg's AVCOL_* values).
struct ColourMarks {
    int primaries = 0, transfer = 0, matrix = 0, range = 0;
};
ColourMarks videoColourMarks(const std::string& path);

// The mean colour of a picture shown on an SDR display: HSV saturation and HSL lightness of its
// RGB pixels, each from 0 to 1. valid is false when no picture decodes.
struct PictureColour {
    bool valid = false;
    double saturation = 0;
    double lightness = 0;
};
// The middle decoded picture of a file's video, turned into RGB as its colour marks say.
PictureColour middlePictureColour(const std::string& path);
// The middle picture of an HDR source tone-mapped at full size by a plain chain of FFmpeg's
// filters (linear light, BT.709 primaries, Hable's curve from the stated or the usual peak).
PictureColour middlePictureToneMapped(const std::string& path);

// Copies a file's chosen video and audio streams into an MP4 file with every packet from
// `atSeconds` on moved `jumpSeconds` later, as a damaged or hostile file's time stamps jump.
bool remuxWithTimeJump(const std::string& source, const std::string& output, double atSeconds, double jumpSeconds);
