#include "probe.h"

#include "decoders.h"
#include "input.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

#include <cmath>
#include <utility>

namespace enc {
namespace {

double frameRateOf(AVFormatContext* ctx, AVStream* st)
{
    // The rate a decoder would deliver frames at, mending the millisecond time bases of
    // FLV and Matroska that make the average read 1000.
    // Above this a "rate" is a container's time base showing through, not a picture rate.
    constexpr double kPlausibleMaximum = 240.0;
    auto plausible = [](AVRational r) { return r.num > 0 && r.den > 0 && av_q2d(r) <= kPlausibleMaximum; };
    const AVRational guessed = av_guess_frame_rate(ctx, st, nullptr);
    if (plausible(guessed))
        return av_q2d(guessed);
    if (plausible(st->avg_frame_rate))
        return av_q2d(st->avg_frame_rate);
    return 25.0; // nothing known (a single picture, say): the common PAL rate
}

std::string channelLayoutText(const AVChannelLayout& layout)
{
    // A layout of unknown order ("2 channels") is described as the usual layout for its count.
    AVChannelLayout described{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&described, layout.nb_channels);
    else if (av_channel_layout_copy(&described, &layout) < 0)
        return std::to_string(layout.nb_channels) + " channels";
    char buffer[128] = {};
    const int written = av_channel_layout_describe(&described, buffer, sizeof buffer);
    av_channel_layout_uninit(&described);
    if (written < 0)
        return std::to_string(layout.nb_channels) + " channels";
    return buffer;
}

int64_t audioBitRate(const AVCodecParameters* par)
{
    if (par->bit_rate > 0)
        return par->bit_rate;
    // Uncompressed audio: the rate follows from the sample format.
    const int bitsPerSample = av_get_bits_per_sample(par->codec_id);
    if (bitsPerSample > 0 && par->sample_rate > 0)
        return int64_t{bitsPerSample} * par->sample_rate * par->ch_layout.nb_channels;
    return -1;
}

} // namespace

VideoStreamInfo describeVideo(const InputFile& input)
{
    AVStream* st = input.videoStream();
    const AVCodecParameters* par = st->codecpar;
    VideoStreamInfo info;
    info.index = st->index;
    info.codec = avcodec_get_name(par->codec_id);
    const char* pixfmt = av_get_pix_fmt_name(static_cast<AVPixelFormat>(par->format));
    info.pixelFormat = pixfmt ? pixfmt : "unknown";
    info.width = par->width;
    info.height = par->height;
    const int rotation = streamRotation(st);
    if (rotation == 90 || rotation == 270)
        std::swap(info.width, info.height);
    info.frameRate = frameRateOf(input.context(), st);
    return info;
}

AudioStreamInfo describeAudio(const InputFile& input)
{
    const AVStream* st = input.audioStream();
    const AVCodecParameters* par = st->codecpar;
    AudioStreamInfo info;
    info.index = st->index;
    info.codec = avcodec_get_name(par->codec_id);
    info.sampleRate = par->sample_rate;
    info.channelLayout = channelLayoutText(par->ch_layout);
    const int64_t bitRate = audioBitRate(par);
    info.bitRateKbps = bitRate < 0 ? -1 : bitRate / 1000;
    return info;
}

std::vector<std::string> probeReport(const std::string& path)
{
    InputFile input(path);
    // A file whose picture cannot be decoded is refused now, not accepted and failed later.
    if (input.videoStream())
        checkVideoDecodable(input.videoStream());
    std::vector<std::string> lines;
    lines.push_back(inputLine(input.context()->iformat->name));
    const int64_t duration = input.durationUs();
    lines.push_back(durationLine(duration, input.startUs(), input.bitRate() / 1000));
    if (input.videoStream())
        lines.push_back(videoLine(describeVideo(input)));
    if (input.audioStream())
        lines.push_back(audioLine(describeAudio(input)));
    return lines;
}

} // namespace enc
