// Probe mode: describe a file's duration, bit rate and the streams a conversion would use.
#pragma once

#include "report.h"

#include <string>
#include <vector>

namespace enc {

class InputFile;

VideoStreamInfo describeVideo(const InputFile& input);
AudioStreamInfo describeAudio(const InputFile& input);

// The report lines for a readable file; throws EncoderError when the file cannot be read.
std::vector<std::string> probeReport(const std::string& path);

} // namespace enc
