#include "ffmpeg_util.h"

extern "C" {
#include <libavutil/display.h>
}

#include <cmath>

namespace enc {

std::string errorText(int code)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(code, buffer, sizeof buffer) < 0)
        return "error " + std::to_string(code);
    return buffer;
}

int check(int code, const std::string& operation)
{
    if (code < 0)
        throw EncoderError(operation + ": " + errorText(code), code);
    return code;
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
