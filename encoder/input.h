// Opening a source file and choosing the streams a conversion uses.
#pragma once

#include "ffmpeg_util.h"

#include <chrono>
#include <string>

namespace enc {

class InputFile {
public:
    // Opens a local file (never a protocol), reads the stream information within fixed bounds
    // and chooses the best video and audio streams. Throws EncoderError when the file cannot be read.
    explicit InputFile(const std::string& path);
    // The interrupt callback holds this object's address.
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    AVFormatContext* context() const { return m_ctx.get(); }
    AVStream* videoStream() const { return m_video >= 0 ? m_ctx->streams[m_video] : nullptr; }
    AVStream* audioStream() const { return m_audio >= 0 ? m_ctx->streams[m_audio] : nullptr; }
    int videoIndex() const { return m_video; }
    int audioIndex() const { return m_audio; }

    // Running time in AV_TIME_BASE units; when the container does not say, it is found
    // from the time stamps of the last packets. 0 when nothing can be known.
    int64_t durationUs();
    int64_t startUs() const;
    // Overall bit rate in bit/s, from the container or from size and duration.
    int64_t bitRate();

    // Lifts the time limit that guards opening, for a conversion that may run for hours.
    void clearDeadline() { m_deadline = {}; }

private:
    static int interruptCallback(void* opaque);
    int64_t scanDurationUs();

    std::chrono::steady_clock::time_point m_deadline;
    InputContextPtr m_ctx;
    int m_video = -1;
    int m_audio = -1;
    int64_t m_durationUs = -1;
};

} // namespace enc
