// Filter chains of a conversion, and a small owner of one configured filter graph.
#pragma once

#include "colour.h"
#include "ffmpeg_util.h"
#include "frame_size.h"

#include <string>

namespace enc {

struct VideoChainSettings {
    bool deinterlace = false;
    int rotation = 0;  // quarter turns clockwise to apply: 0, 90, 180, 270
    FrameLayout frame; // the picture is scaled, then bordered in black
    AVRational frameRate{25, 1};
    double startSeconds = 0; // the time of the first picture out: 0, or where the last graph ended
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    ColourPlan colour;
};

struct AudioChainSettings {
    int asyncSamples = 0; // above 0: keep the sound in step with the time stamps
    int volumePercent = 100;
    AVSampleFormat sampleFormat = AV_SAMPLE_FMT_FLTP;
    int sampleRate = 44100;
    int channels = 2;
    // Where the sound out starts: 0, or where the last graph ended. Counted in samples at the
    // rate of the sound coming in, which is how the resampler reads it.
    int64_t firstPts = 0;
};

// The filter chain text, e.g. "yadif=...,scale=320:180,pad=320:240:0:30:black,setsar=1,...".
std::string videoChain(const VideoChainSettings& settings);
std::string audioChain(const AudioChainSettings& settings);
// "mono", "stereo", "5.1", ... for a channel count.
std::string layoutNameFor(int channels);

// One configured graph: a buffer source, the chain, a buffer sink.
class FilterPipeline {
public:
    // sourceArgs: the arguments of the "buffer" or "abuffer" source.
    FilterPipeline(AVMediaType type, const std::string& sourceArgs, const std::string& chain);

    void push(AVFrame* frame);  // nullptr ends the stream
    void close(int64_t endPts); // ends the stream at this time (source time base)
    // Takes the next filtered frame into frame; false when none is ready (or the end was reached).
    bool pull(AVFrame* frame);
    bool ended() const { return m_ended; }
    AVRational outputTimeBase() const;
    void setOutputFrameSize(int samples);

private:
    FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
    bool m_ended = false;
};

} // namespace enc
