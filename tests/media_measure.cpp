#include "media_measure.h"

#include "ffmpeg_util.h"
#include "input.h"

extern "C" {
#include <libavutil/channel_layout.h>
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
