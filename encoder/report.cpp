#include "report.h"

#include <cinttypes>
#include <cstdio>

namespace enc {

std::string sanitizeField(std::string text)
{
    for (char& c : text) {
        if (c == ',' || c == '\r' || c == '\n' || c == ':')
            c = ' ';
    }
    return text.empty() ? std::string("unknown") : text;
}

std::string inputLine(const std::string& formatName)
{
    // Format names such as "mov,mp4,m4a" hold commas; they are harmless on this line.
    return "Input #0, " + formatName + ":";
}

std::string durationLine(int64_t durationUs, int64_t startUs, int64_t bitRateKbps)
{
    // Round to the hundredth shown, as FFmpeg does.
    const int64_t rounded = durationUs + 5000;
    const int64_t totalSeconds = rounded / 1000000;
    const int64_t hundredths = (rounded % 1000000) / 10000;
    char buffer[160];
    std::snprintf(buffer, sizeof buffer,
                  "  Duration: %02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%02" PRId64 ", start: %.6f, bitrate: %" PRId64
                  " kb/s",
                  totalSeconds / 3600, totalSeconds / 60 % 60, totalSeconds % 60, hundredths,
                  static_cast<double>(startUs) / 1e6, bitRateKbps);
    return buffer;
}

std::string videoLine(const VideoStreamInfo& info)
{
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, "    Stream #0.%d: Video: %s, %s, %dx%d, %.2f fps(r)", info.index,
                  sanitizeField(info.codec).c_str(), sanitizeField(info.pixelFormat).c_str(), info.width, info.height,
                  info.frameRate);
    return buffer;
}

std::string audioLine(const AudioStreamInfo& info)
{
    std::string line = "    Stream #0." + std::to_string(info.index) + ": Audio: " + sanitizeField(info.codec) + ", "
        + std::to_string(info.sampleRate) + " Hz, " + sanitizeField(info.channelLayout);
    if (info.bitRateKbps >= 0)
        line += ", " + std::to_string(info.bitRateKbps) + " kb/s";
    return line;
}

std::string statusLine(int64_t frames, double fps, double quality, int64_t sizeBytes, double timeSeconds,
                       double bitRateKbps)
{
    char buffer[200];
    std::snprintf(buffer, sizeof buffer,
                  "frame=%5" PRId64 " fps=%3d q=%.1f size=%8" PRId64 "kB time=%.1f bitrate=%6.1fkbits/s\r", frames,
                  static_cast<int>(fps + 0.5), quality, sizeBytes / 1024, timeSeconds, bitRateKbps);
    return buffer;
}

} // namespace enc
