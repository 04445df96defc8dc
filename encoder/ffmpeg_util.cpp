#include "ffmpeg_util.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cerrno>
#include <cmath>
#include <cstdarg>

namespace enc {

std::string errorText(int code)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, buffer, sizeof buffer) < 0)
        return "error " + std::to_string(code);
    return buffer;
}

namespace {

std::string& lastLibraryError()
{
    static std::string message;
    return message;
}

void logCallback(void* avcl, int level, const char* fmt, va_list args)
{
    if (level > AV_LOG_ERROR)
        return;
    char line[512];
    int printPrefix = 0;
    av_log_format_line2(avcl, level, fmt, args, line, sizeof line, &printPrefix);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    // Drop the "[component @ 0x...] " prefix; it means nothing to a user.
    const auto close = text.find("] ");
    if (!text.empty() && text.front() == '[' && close != std::string::npos)
        text.erase(0, close + 2);
    if (!text.empty())
        lastLibraryError() = text;
}

} // namespace

void captureLibraryLog()
{
    av_log_set_callback(logCallback);
}

void checkAllOptionsUsed(AVDictionary* left, const std::string& what)
{
    const AVDictionaryEntry* entry = av_dict_get(left, "", nullptr, AV_DICT_IGNORE_SUFFIX);
    if (entry)
        throw EncoderError(what + " does not take the option '" + entry->key + "'");
}

std::string takeLibraryError()
{
    std::string message;
    message.swap(lastLibraryError());
    return message;
}

Reason EncoderError::refinedReason(Reason reason, int code)
{
    if (code == AVERROR(ENOMEM))
        return Reason::OutOfMemory;
    if (code == AVERROR(ENOSPC) || code == AVERROR(EDQUOT))
        return Reason::DiskFull;
    if (reason == Reason::OutputUnwritable && (code == AVERROR(EACCES) || code == AVERROR(EPERM)))
        return Reason::OutputForbidden;
    return reason;
}

int check(int code, const std::string& operation, Reason reason)
{
    if (code >= 0) {
        return code;
    }
    std::string message = operation + ": " + errorText(code);
    const std::string detail = takeLibraryError();
    if (!detail.empty())
        message += " (" + detail + ")";
    throw EncoderError(reason, message, code);
}

PacketPtr makePacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw EncoderError("cannot allocate a packet: " + errorText(AVERROR(ENOMEM)), AVERROR(ENOMEM));
    return packet;
}

FramePtr makeFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw EncoderError("cannot allocate a frame: " + errorText(AVERROR(ENOMEM)), AVERROR(ENOMEM));
    return frame;
}

int64_t frameDuration(const AVFrame* frame)
{
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 30, 100)
    return frame->duration;
#else
    return frame->pkt_duration;
#endif
}

int streamRotation(const AVStream* stream)
{
    // FFmpeg 5.1 keeps the display matrix as stream side data.
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr);
    if (!matrix)
        return 0;
    const double angle = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(angle))
        return 0;
    // av_display_rotation_get is counter-clockwise; players turn the picture clockwise by its negation.
    long degrees = std::lround(-angle) % 360;
    if (degrees < 0)
        degrees += 360;
    // Only quarter turns are meaningful for a picture; round to the nearest one.
    return static_cast<int>(((degrees + 45) / 90) % 4 * 90);
}

} // namespace enc
