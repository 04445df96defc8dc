#include "filters.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <cstdio>

namespace enc {

std::string layoutNameFor(int channels)
{
    AVChannelLayout layout{};
    av_channel_layout_default(&layout, channels);
    char buffer[64] = {};
    av_channel_layout_describe(&layout, buffer, sizeof buffer);
    av_channel_layout_uninit(&layout);
    return buffer;
}

std::string videoChain(const VideoChainSettings& settings)
{
    std::string chain;
    if (settings.deinterlace)
        chain += "yadif=mode=send_frame:parity=auto:deint=interlaced,";
    switch (settings.rotation) {
    case 90:
        chain += "transpose=clock,";
        break;
    case 180:
        chain += "hflip,vflip,";
        break;
    case 270:
        chain += "transpose=cclock,";
        break;
    default:
        break;
    }
    const FrameLayout& f = settings.frame;
    // Scaled in the source's own bit depth; the colour steps after work on the smaller picture.
    const ColourPlan& colour = settings.colour;
    chain += "scale=" + std::to_string(f.pictureWidth) + ":" + std::to_string(f.pictureHeight)
        + ":in_color_matrix=" + colour.scaleInputMatrix + ":out_color_matrix=" + colour.scaleOutputMatrix
        + ":out_range=" + (colour.fullRangeOutput ? "pc" : "tv");
    const std::string colourSteps = colourChain(colour);
    if (!colourSteps.empty())
        chain += "," + colourSteps;
    if (f.width() != f.pictureWidth || f.height() != f.pictureHeight) {
        chain += ",pad=" + std::to_string(f.width()) + ":" + std::to_string(f.height()) + ":"
            + std::to_string(f.padLeft) + ":" + std::to_string(f.padTop) + ":black";
    }
    // A constant rate from time zero: devices want it, and variable-rate sources get regular frames.
    char start[48];
    std::snprintf(start, sizeof start, "%.6f", settings.startSeconds);
    chain += ",setsar=1,fps=fps=" + std::to_string(settings.frameRate.num) + "/"
        + std::to_string(settings.frameRate.den) + ":start_time=" + start;
    chain += std::string(",format=pix_fmts=") + av_get_pix_fmt_name(settings.pixelFormat);
    return chain;
}

std::string audioChain(const AudioChainSettings& settings)
{
    std::string chain = "aresample=first_pts=" + std::to_string(settings.firstPts);
    // Sync to the time stamps by filling gaps with silence and trimming overlaps; stretching
    // (async above 1) drifts on sources whose stamps are rounded to milliseconds.
    if (settings.asyncSamples > 0)
        chain += ":async=1:min_hard_comp=0.1";
    if (settings.volumePercent != 100) {
        char volume[32];
        std::snprintf(volume, sizeof volume, ",volume=%.4f", settings.volumePercent / 100.0);
        chain += volume;
    }
    chain += std::string(",aformat=sample_fmts=") + av_get_sample_fmt_name(settings.sampleFormat) + ":sample_rates="
        + std::to_string(settings.sampleRate) + ":channel_layouts=" + layoutNameFor(settings.channels);
    return chain;
}

FilterPipeline::FilterPipeline(AVMediaType type, const std::string& sourceArgs, const std::string& chain)
    : m_graph(avfilter_graph_alloc())
{
    if (!m_graph)
        throw EncoderError("cannot allocate a filter graph", AVERROR(ENOMEM));
    const bool video = type == AVMEDIA_TYPE_VIDEO;
    const AVFilter* source = avfilter_get_by_name(video ? "buffer" : "abuffer");
    const AVFilter* sink = avfilter_get_by_name(video ? "buffersink" : "abuffersink");
    check(avfilter_graph_create_filter(&m_source, source, "in", sourceArgs.c_str(), nullptr, m_graph.get()),
          "cannot create the filter source");
    check(avfilter_graph_create_filter(&m_sink, sink, "out", nullptr, nullptr, m_graph.get()),
          "cannot create the filter sink");

    FilterInOutPtr outputs(avfilter_inout_alloc());
    FilterInOutPtr inputs(avfilter_inout_alloc());
    if (!outputs || !inputs)
        throw EncoderError("cannot allocate filter links", AVERROR(ENOMEM));
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    const int parsed = avfilter_graph_parse_ptr(m_graph.get(), chain.c_str(), &in, &out, nullptr);
    // The parse hands back what it did not link; free it on every path.
    FilterInOutPtr restIn(in), restOut(out);
    check(parsed, "cannot set up the filters '" + chain + "'");
    check(avfilter_graph_config(m_graph.get(), nullptr), "cannot configure the filters '" + chain + "'");
}

void FilterPipeline::push(AVFrame* frame)
{
    check(av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF), "cannot filter a frame");
}

void FilterPipeline::close(int64_t endPts)
{
    check(av_buffersrc_close(m_source, endPts, AV_BUFFERSRC_FLAG_PUSH), "cannot end the filters");
}

bool FilterPipeline::pull(AVFrame* frame)
{
    const int result = av_buffersink_get_frame(m_sink, frame);
    if (result == AVERROR(EAGAIN))
        return false;
    if (result == AVERROR_EOF) {
        m_ended = true;
        return false;
    }
    check(result, "cannot take a filtered frame");
    return true;
}

AVRational FilterPipeline::outputTimeBase() const
{
    return av_buffersink_get_time_base(m_sink);
}

void FilterPipeline::setOutputFrameSize(int samples)
{
    av_buffersink_set_frame_size(m_sink, static_cast<unsigned>(samples));
}

} // namespace enc
