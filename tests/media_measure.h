// Measurements on converted files made with the FFmpeg libraries, for encoder tests.
#pragma once

#include <map>
#include <string>

// Root-mean-square level of the decoded audio of a file (all channels, full scale 1.0);
// a negative value when the file has no decodable audio.
double audioRmsLevel(const std::string& path);

// The container's metadata tags ("title", "creation_time", ...).
std::map<std::string, std::string> containerTags(const std::string& path);

// Whether the file's video stream carries a rotation for players to apply.
bool videoHasRotation(const std::string& path);

// Where the bright part of the first decoded picture lies: the frame size and the smallest
// rectangle holding every pixel whose luma is above half scale (right and bottom exclusive).
// valid is false when no 8-bit YUV picture decodes.
struct BrightBox {
    bool valid = false;
    int frameWidth = 0, frameHeight = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};
BrightBox firstPictureBrightBox(const std::string& path);
