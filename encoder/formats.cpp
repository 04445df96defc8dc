#include "formats.h"

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace enc {
namespace {

std::string canonical(const std::string& name, const std::map<std::string, std::string>& aliases)
{
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const auto it = aliases.find(lower);
    return it == aliases.end() ? lower : it->second;
}

} // namespace

const AVOutputFormat* findMuxer(const std::string& name)
{
    static const std::map<std::string, std::string> aliases = {
        {"wmv", "asf"},  {"wma", "asf"},  {"m4v", "mp4"},  {"mpeg4", "mp4"}, {"quicktime", "mov"},
        {"divx", "avi"}, {"xvid", "avi"}, {"3gpp", "3gp"}, {"3gpp2", "3g2"}, {"mpg", "mpeg"},
    };
    const std::string muxerName = canonical(name, aliases);
    const AVOutputFormat* muxer = av_guess_format(muxerName.c_str(), nullptr, nullptr);
    if (!muxer || (muxer->flags & AVFMT_NOFILE))
        throw EncoderError(Reason::FormatUnknown, "unknown output format '" + name + "'");
    return muxer;
}

const AVCodec* findEncoder(const std::string& name, AVMediaType type)
{
    static const std::map<std::string, std::string> aliases = {
        {"h264", "libx264"},    {"x264", "libx264"}, {"avc", "libx264"}, {"mp3", "libmp3lame"},
        {"lame", "libmp3lame"}, {"xvid", "libxvid"}, {"wmv", "wmv2"},    {"wma", "wmav2"},
        {"flv1", "flv"},        {"divx", "mpeg4"},   {"h263+", "h263p"}, {"wmv8", "wmv2"},
    };
    const std::string encoderName = canonical(name, aliases);
    const AVCodec* codec = avcodec_find_encoder_by_name(encoderName.c_str());
    if (!codec) {
        // A decoder-style codec name ("mpeg2video") names its default encoder.
        const AVCodecDescriptor* desc = avcodec_descriptor_get_by_name(encoderName.c_str());
        if (desc)
            codec = avcodec_find_encoder(desc->id);
    }
    const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    if (!codec)
        throw EncoderError(type == AVMEDIA_TYPE_VIDEO ? Reason::VideoCodecUnknown : Reason::AudioCodecUnknown,
                           std::string("unknown ") + kind + " codec '" + name + "'");
    if (codec->type != type)
        throw EncoderError("'" + name + "' is not a " + kind + " codec");
    return codec;
}

void checkFormatTakesCodec(const AVOutputFormat* muxer, const AVCodec* codec)
{
    if (avformat_query_codec(muxer, codec->id, FF_COMPLIANCE_NORMAL) == 0)
        throw EncoderError(Reason::CodecNotInFormat,
                           std::string("the format '") + muxer->name + "' cannot hold the codec '" + codec->name + "'");
}

AVPixelFormat choosePixelFormat(const AVCodec* codec, AVPixelFormat source)
{
    if (!codec->pix_fmts)
        return AV_PIX_FMT_YUV420P;
    // Devices play 8-bit 4:2:0 most widely; take it where the encoder offers it.
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
        if (*f == AV_PIX_FMT_YUV420P)
            return *f;
    }
    return avcodec_find_best_pix_fmt_of_list(codec->pix_fmts, source, 0, nullptr);
}

AVSampleFormat chooseSampleFormat(const AVCodec* codec)
{
    return codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
}

int chooseSampleRate(const AVCodec* codec, const AVOutputFormat* muxer, int requested, int source)
{
    std::vector<int> allowed;
    if (codec->supported_samplerates) {
        for (const int* r = codec->supported_samplerates; *r; ++r)
            allowed.push_back(*r);
    }
    // Flash video stores MP3 and PCM only at the 44.1 kHz family of rates.
    if (std::strcmp(muxer->name, "flv") == 0 && codec->id != AV_CODEC_ID_AAC) {
        const std::vector<int> flvRates = {44100, 22050, 11025};
        if (allowed.empty())
            allowed = flvRates;
        else
            std::erase_if(allowed,
                          [&](int r) { return std::find(flvRates.begin(), flvRates.end(), r) == flvRates.end(); });
    }
    const int wanted = requested > 0 ? requested : (source > 0 ? source : 44100);
    if (allowed.empty() || std::find(allowed.begin(), allowed.end(), wanted) != allowed.end())
        return wanted;
    if (requested > 0)
        throw EncoderError(Reason::CodecNotInFormat,
                           "the audio codec '" + std::string(codec->name) + "' in the format '" + muxer->name
                               + "' cannot take a sampling rate of " + std::to_string(requested) + " Hz");
    return *std::min_element(allowed.begin(), allowed.end(),
                             [&](int a, int b) { return std::abs(a - wanted) < std::abs(b - wanted); });
}

AVRational chooseFrameRate(const AVCodec* codec, double requested, AVRational source)
{
    AVRational rate = requested > 0 ? av_d2q(requested, 100000) : source;
    if (rate.num <= 0 || rate.den <= 0)
        rate = {25, 1};
    if (codec->supported_framerates) {
        const int best = av_find_nearest_q_idx(rate, codec->supported_framerates);
        return codec->supported_framerates[best];
    }
    // MPEG-4 part 2 and its relatives allow time base denominators up to 65535.
    if (rate.num > 65535) {
        rate = av_d2q(av_q2d(rate), 65535);
    }
    return rate;
}

} // namespace enc
