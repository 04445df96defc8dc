// Ownership and error helpers for the FFmpeg libraries.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

#include "exit_status.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace enc {

// The text av_strerror gives for an FFmpeg error code.
std::string errorText(int code);

// One error type for every failure inside the encoder: what was being done and why it failed,
// the reason's stable code, and the FFmpeg error code when a library call failed. Memory, a full
// disk and a refused output folder are told by the FFmpeg code whatever reason the thrower gave.
class EncoderError : public std::runtime_error {
public:
    explicit EncoderError(const std::string& message, int code = 0) : EncoderError(Reason::Failed, message, code) {}
    EncoderError(Reason reason, const std::string& message, int code = 0)
        : std::runtime_error(message), m_reason(refinedReason(reason, code)), m_code(code)
    {}
    int code() const { return m_code; }
    Reason reason() const { return m_reason; }

private:
    static Reason refinedReason(Reason reason, int code);

    Reason m_reason;
    int m_code;
};

// Throws an EncoderError "<operation>: <av_strerror text>" with reason when code is negative;
// returns code. The libraries' own last error message, when one was logged meanwhile, is added
// in brackets.
int check(int code, const std::string& operation, Reason reason = Reason::Failed);

// Throws an EncoderError naming the first option that `what` (an encoder, muxer or input) left
// unused: such an option means a setting silently had no effect.
void checkAllOptionsUsed(AVDictionary* left, const std::string& what);

// Keeps the libraries' log off the report and the status text; their last error message is
// remembered for the next failing check().
void captureLibraryLog();
// Takes (and forgets) the last error message the libraries logged.
std::string takeLibraryError();

struct InputContextDeleter {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* ctx) const { avcodec_free_context(&ctx); }
};
struct PacketDeleter {
    void operator()(AVPacket* pkt) const { av_packet_free(&pkt); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct FilterInOutDeleter {
    void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};

using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;

PacketPtr makePacket();
FramePtr makeFrame();

// A decoded frame's duration in its stream's time base (the field moved after FFmpeg 5.1).
int64_t frameDuration(const AVFrame* frame);

// Rotation in degrees (0, 90, 180 or 270, clockwise as displayed) from the stream's display matrix.
int streamRotation(const AVStream* stream);

} // namespace enc
