#include "media_measure.h"

#include "decoders.h"
#include "ffmpeg_util.h"
#include "filters.h"
#include "input.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>

double audioRmsLevel(const std::string& path)
{
    enc::InputFile input(path);
    AVStream* st = input.audioStream();
    if (!st)
        return -1;
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    enc::CodecContextPtr dec(avcodec_alloc_context3(codec));
    enc::check(avcodec_parameters_to_context(dec.get(), st->codecpar), "parameters");
    enc::check(avcodec_open2(dec.get(), codec, nullptr), "open decoder");

    double sum = 0;
    int64_t count = 0;
    auto packet = enc::makePacket();
    auto frame = enc::makeFrame();
    auto consume = [&]() {
        while (avcodec_receive_frame(dec.get(), frame.get()) >= 0) {
            const int channels = frame->ch_layout.nb_channels;
            const bool planar = av_sample_fmt_is_planar(static_cast<AVSampleFormat>(frame->format));
            for (int c = 0; c < (planar ? channels : 1); ++c) {
                const int n = frame->nb_samples * (planar ? 1 : channels);
                for (int i = 0; i < n; ++i) {
                    double v = 0;
                    switch (frame->format) {
                    case AV_SAMPLE_FMT_FLTP:
                    case AV_SAMPLE_FMT_FLT:
                        v = reinterpret_cast<const float*>(frame->extended_data[c])[i];
                        break;
                    case AV_SAMPLE_FMT_S16P:
                    case AV_SAMPLE_FMT_S16:
                        v = reinterpret_cast<const int16_t*>(frame->extended_data[c])[i] / 32768.0;
                        break;
                    case AV_SAMPLE_FMT_S32P:
                    case AV_SAMPLE_FMT_S32:
                        v = reinterpret_cast<const int32_t*>(frame->extended_data[c])[i] / 2147483648.0;
                        break;
                    default:
                        return;
                    }
                    sum += v * v;
                    ++count;
                }
            }
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(input.context(), packet.get()) >= 0) {
        if (packet->stream_index == st->index && avcodec_send_packet(dec.get(), packet.get()) >= 0)
            consume();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(dec.get(), nullptr);
    consume();
    return count > 0 ? std::sqrt(sum / static_cast<double>(count)) : -1;
}

std::map<std::string, std::string> containerTags(const std::string& path)
{
    enc::InputFile input(path);
    std::map<std::string, std::string> tags;
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(input.context()->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
        tags[entry->key] = entry->value;
    return tags;
}

bool videoHasRotation(const std::string& path)
{
    enc::InputFile input(path);
    return input.videoStream() && enc::streamRotation(input.videoStream()) != 0;
}

namespace {

void describe(AVFormatContext* ctx, AVStream* st, StreamFacts& facts)
{
    const AVCodecParameters* par = st->codecpar;
    facts.present = true;
    facts.codec = avcodec_get_name(par->codec_id);
    facts.profile = par->profile;
    facts.level = par->level;
    facts.width = par->width;
    facts.height = par->height;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO)
        facts.frameRate = av_q2d(av_guess_frame_rate(ctx, st, nullptr));
    facts.sampleRate = par->sample_rate;
    facts.channels = par->ch_layout.nb_channels;
}

} // namespace

MediaFacts readMediaFacts(const std::string& path)
{
    enc::InputFile input(path);
    MediaFacts facts;
    facts.container = input.context()->iformat->name;
    AVStream* video = input.videoStream();
    AVStream* audio = input.audioStream();
    if (video)
        describe(input.context(), video, facts.video);
    if (audio)
        describe(input.context(), audio, facts.audio);
    bool seen[2] = {false, false};
    auto packet = enc::makePacket();
    while (av_read_frame(input.context(), packet.get()) >= 0) {
        const AVStream* st = input.context()->streams[packet->stream_index];
        const int which = st == video ? 0 : st == audio ? 1 : -1;
        if (which >= 0) {
            StreamFacts& s = which == 0 ? facts.video : facts.audio;
            const double tb = av_q2d(st->time_base);
            const int64_t pts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            const int64_t dts = packet->dts != AV_NOPTS_VALUE ? packet->dts : pts;
            if (pts != AV_NOPTS_VALUE) {
                const double start = static_cast<double>(pts) * tb;
                const double end = static_cast<double>(pts + packet->duration) * tb;
                s.startSeconds = seen[which] ? std::min(s.startSeconds, start) : start;
                s.endSeconds = seen[which] ? std::max(s.endSeconds, end) : end;
                seen[which] = true;
            }
            s.packets.emplace_back(dts != AV_NOPTS_VALUE ? static_cast<double>(dts) * tb : s.endSeconds, packet->size);
        }
        av_packet_unref(packet.get());
    }
    return facts;
}

double peakBitRate(const StreamFacts& stream, double windowSeconds)
{
    std::vector<std::pair<double, int>> packets = stream.packets;
    std::sort(packets.begin(), packets.end());
    double peak = 0;
    double bits = 0;
    size_t first = 0;
    for (size_t last = 0; last < packets.size(); ++last) {
        bits += packets[last].second * 8.0;
        while (packets[last].first - packets[first].first >= windowSeconds) {
            bits -= packets[first].second * 8.0;
            ++first;
        }
        peak = std::max(peak, bits);
    }
    return peak / windowSeconds;
}

BrightBox firstPictureBrightBox(const std::string& path)
{
    enc::InputFile input(path);
    AVStream* st = input.videoStream();
    if (!st)
        return {};
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    enc::CodecContextPtr dec(avcodec_alloc_context3(codec));
    enc::check(avcodec_parameters_to_context(dec.get(), st->codecpar), "parameters");
    enc::check(avcodec_open2(dec.get(), codec, nullptr), "open decoder");

    auto packet = enc::makePacket();
    auto frame = enc::makeFrame();
    bool decoded = false;
    while (!decoded && av_read_frame(input.context(), packet.get()) >= 0) {
        if (packet->stream_index == st->index && avcodec_send_packet(dec.get(), packet.get()) >= 0)
            decoded = avcodec_receive_frame(dec.get(), frame.get()) >= 0;
        av_packet_unref(packet.get());
    }
    if (!decoded && avcodec_send_packet(dec.get(), nullptr) >= 0)
        decoded = avcodec_receive_frame(dec.get(), frame.get()) >= 0;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!decoded || !desc || (desc->flags & AV_PIX_FMT_FLAG_RGB) || desc->comp[0].plane != 0 || desc->comp[0].depth != 8
        || desc->comp[0].step != 1)
        return {};

    BrightBox box;
    box.valid = true;
    box.frameWidth = frame->width;
    box.frameHeight = frame->height;
    box.left = frame->width;
    box.top = frame->height;
    for (int y = 0; y < frame->height; ++y) {
        const uint8_t* row = frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0];
        for (int x = 0; x < frame->width; ++x) {
            if (row[x] > 128) {
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

namespace {

struct OutputDeleter {
    void operator()(AVFormatContext* ctx) const
    {
        if (ctx->pb)
            avio_closep(&ctx->pb);
        avformat_free_context(ctx);
    }
};

} // namespace

bool joinTransportStreams(const std::string& first, const std::string& second, const std::string& output)
{
    try {
        enc::InputFile a(first);
        enc::InputFile b(second);
        AVFormatContext* raw = nullptr;
        enc::check(avformat_alloc_output_context2(&raw, nullptr, "mpegts", output.c_str()), "output");
        std::unique_ptr<AVFormatContext, OutputDeleter> out(raw);
        // One output stream for each chosen input stream of the first file, in the same order.
        const AVStream* chosen[2] = {a.videoStream(), a.audioStream()};
        for (const AVStream* st : chosen) {
            if (!st)
                continue;
            AVStream* o = avformat_new_stream(out.get(), nullptr);
            enc::check(avcodec_parameters_copy(o->codecpar, st->codecpar), "parameters");
            o->codecpar->codec_tag = 0;
            o->time_base = st->time_base;
        }
        enc::check(avio_open(&out->pb, output.c_str(), AVIO_FLAG_WRITE), "open");
        enc::check(avformat_write_header(out.get(), nullptr), "header");

        int64_t offsetUs = 0;
        int64_t endUs = 0;
        for (enc::InputFile* in : {&a, &b}) {
            const int indexes[2] = {in->videoIndex(), in->audioIndex()};
            const int64_t startUs = in->startUs();
            auto packet = enc::makePacket();
            while (av_read_frame(in->context(), packet.get()) >= 0) {
                const int target = packet->stream_index == indexes[0] ? 0 : packet->stream_index == indexes[1] ? 1 : -1;
                if (target < 0 || static_cast<unsigned>(target) >= out->nb_streams) {
                    av_packet_unref(packet.get());
                    continue;
                }
                const AVRational tb = in->context()->streams[packet->stream_index]->time_base;
                const int64_t shift = av_rescale_q(offsetUs - startUs, AV_TIME_BASE_Q, tb);
                if (packet->pts != AV_NOPTS_VALUE)
                    packet->pts += shift;
                if (packet->dts != AV_NOPTS_VALUE)
                    packet->dts += shift;
                const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
                if (stamp != AV_NOPTS_VALUE)
                    endUs = std::max(endUs, av_rescale_q(stamp + packet->duration, tb, AV_TIME_BASE_Q));
                av_packet_rescale_ts(packet.get(), tb, out->streams[target]->time_base);
                packet->stream_index = target;
                enc::check(av_interleaved_write_frame(out.get(), packet.get()), "write");
            }
            offsetUs = endUs;
        }
        enc::check(av_write_trailer(out.get()), "trailer");
        return true;
    } catch (const enc::EncoderError&) {
        return false;
    }
}

ColourMarks videoColourMarks(const std::string& path)
{
    enc::InputFile input(path);
    const AVStream* st = input.videoStream();
    if (!st)
        return {};
    const AVCodecParameters* par = st->codecpar;
    return {par->color_primaries, par->color_trc, par->color_space, par->color_range};
}

namespace {

// Every picture of the file's video is decoded; the middle one is kept.
enc::FramePtr middlePicture(const std::string& path)
{
    av_log_set_level(AV_LOG_ERROR);
    enc::InputFile input(path);
    AVStream* st = input.videoStream();
    if (!st)
        return nullptr;
    const AVCodec* codec = enc::findSoftwareDecoder(st->codecpar->codec_id);
    if (!codec)
        return nullptr;
    enc::CodecContextPtr dec(avcodec_alloc_context3(codec));
    enc::check(avcodec_parameters_to_context(dec.get(), st->codecpar), "parameters");
    enc::check(avcodec_open2(dec.get(), codec, nullptr), "open decoder");
    std::vector<enc::FramePtr> pictures;
    auto packet = enc::makePacket();
    auto take = [&]() {
        for (;;) {
            enc::FramePtr frame = enc::makeFrame();
            if (avcodec_receive_frame(dec.get(), frame.get()) < 0)
                return;
            pictures.push_back(std::move(frame));
        }
    };
    while (av_read_frame(input.context(), packet.get()) >= 0) {
        if (packet->stream_index == st->index && avcodec_send_packet(dec.get(), packet.get()) >= 0)
            take();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(dec.get(), nullptr);
    take();
    if (pictures.empty())
        return nullptr;
    return std::move(pictures[pictures.size() / 2]);
}

// One picture through a filter chain that ends in planar 8-bit RGB; the mean colour of the result.
PictureColour colourThrough(AVFrame* picture, const std::string& chain)
{
    const std::string args = "video_size=" + std::to_string(picture->width) + "x" + std::to_string(picture->height)
        + ":pix_fmt=" + std::to_string(picture->format) + ":time_base=1/25:pixel_aspect=1/1";
    enc::FilterPipeline filters(AVMEDIA_TYPE_VIDEO, args, chain + ",format=gbrp");
    picture->pts = 0;
    filters.push(picture);
    filters.push(nullptr);
    enc::FramePtr rgb = enc::makeFrame();
    if (!filters.pull(rgb.get()))
        return {};
    double saturation = 0, lightness = 0;
    for (int y = 0; y < rgb->height; ++y) {
        const uint8_t* g = rgb->data[0] + static_cast<ptrdiff_t>(y) * rgb->linesize[0];
        const uint8_t* b = rgb->data[1] + static_cast<ptrdiff_t>(y) * rgb->linesize[1];
        const uint8_t* r = rgb->data[2] + static_cast<ptrdiff_t>(y) * rgb->linesize[2];
        for (int x = 0; x < rgb->width; ++x) {
            const int high = std::max({r[x], g[x], b[x]});
            const int low = std::min({r[x], g[x], b[x]});
            saturation += high > 0 ? static_cast<double>(high - low) / high : 0;
            lightness += (high + low) / 510.0;
        }
    }
    const double pixels = static_cast<double>(rgb->width) * rgb->height;
    return {true, saturation / pixels, lightness / pixels};
}

// The peak for tone mapping: what the picture's metadata states, else 1000 cd/m2 (HLG's nominal
// peak, and the usual mastering peak of PQ video); in units of SDR white (100 cd/m2).
double statedPeak(const AVFrame* picture)
{
    double nits = 0;
    if (const AVFrameSideData* light = av_frame_get_side_data(picture, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL))
        nits = reinterpret_cast<const AVContentLightMetadata*>(light->data)->MaxCLL;
    const AVFrameSideData* mastering = av_frame_get_side_data(picture, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA);
    if (nits <= 0 && mastering) {
        const auto* display = reinterpret_cast<const AVMasteringDisplayMetadata*>(mastering->data);
        if (display->has_luminance)
            nits = av_q2d(display->max_luminance);
    }
    if (nits <= 0 || picture->color_trc == AVCOL_TRC_ARIB_STD_B67)
        nits = 1000;
    return nits / 100;
}

} // namespace

PictureColour middlePictureColour(const std::string& path)
{
    enc::FramePtr picture = middlePicture(path);
    if (!picture)
        return {};
    return colourThrough(picture.get(), "scale=in_color_matrix=auto");
}

PictureColour middlePictureToneMapped(const std::string& path)
{
    enc::FramePtr picture = middlePicture(path);
    if (!picture)
        return {};
    return colourThrough(picture.get(),
                         "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:"
                         "desat=0:peak="
                             + std::to_string(statedPeak(picture.get())) + ",zscale=t=bt709");
}

bool remuxWithTimeJump(const std::string& source, const std::string& output, double atSeconds, double jumpSeconds)
{
    try {
        enc::InputFile in(source);
        AVFormatContext* raw = nullptr;
        enc::check(avformat_alloc_output_context2(&raw, nullptr, "mp4", output.c_str()), "output");
        std::unique_ptr<AVFormatContext, OutputDeleter> out(raw);
        const int indexes[2] = {in.videoIndex(), in.audioIndex()};
        int targets[2] = {-1, -1};
        for (int i = 0; i < 2; ++i) {
            if (indexes[i] < 0)
                continue;
            const AVStream* st = in.context()->streams[indexes[i]];
            AVStream* o = avformat_new_stream(out.get(), nullptr);
            enc::check(avcodec_parameters_copy(o->codecpar, st->codecpar), "parameters");
            o->codecpar->codec_tag = 0;
            o->time_base = st->time_base;
            targets[i] = o->index;
        }
        enc::check(avio_open(&out->pb, output.c_str(), AVIO_FLAG_WRITE), "open");
        enc::check(avformat_write_header(out.get(), nullptr), "header");
        auto packet = enc::makePacket();
        while (av_read_frame(in.context(), packet.get()) >= 0) {
            const int which = packet->stream_index == indexes[0] ? 0 : packet->stream_index == indexes[1] ? 1 : -1;
            if (which < 0) {
                av_packet_unref(packet.get());
                continue;
            }
            const AVRational tb = in.context()->streams[packet->stream_index]->time_base;
            const int64_t dts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            if (dts != AV_NOPTS_VALUE && static_cast<double>(dts) * av_q2d(tb) >= atSeconds) {
                const int64_t shift =
                    av_rescale_q(static_cast<int64_t>(jumpSeconds * AV_TIME_BASE), AV_TIME_BASE_Q, tb);
                if (packet->pts != AV_NOPTS_VALUE)
                    packet->pts += shift;
                if (packet->dts != AV_NOPTS_VALUE)
                    packet->dts += shift;
            }
            packet->stream_index = targets[which];
            av_packet_rescale_ts(packet.get(), tb, out->streams[targets[which]]->time_base);
            enc::check(av_interleaved_write_frame(out.get(), packet.get()), "write");
        }
        enc::check(av_write_trailer(out.get()), "trailer");
        return true;
    } catch (const enc::EncoderError&) {
        return false;
    }
}
