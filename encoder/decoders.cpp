#include "decoders.h"

#include <cstring>

namespace enc {
namespace {

bool decodesInSoftware(const AVCodec* codec)
{
    if (codec->capabilities & AV_CODEC_CAP_HARDWARE)
        return false;
    // Decoders that only hand the stream to a hardware decoder and fail without one.
    return std::strcmp(codec->name, "av1") != 0;
}

} // namespace

const AVCodec* findSoftwareDecoder(AVCodecID id)
{
    void* iterator = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&iterator)) {
        if (codec->id == id && av_codec_is_decoder(codec) && decodesInSoftware(codec))
            return codec;
    }
    return nullptr;
}

void checkVideoDecodable(const AVStream* stream)
{
    const AVCodecID id = stream->codecpar->codec_id;
    if (!findSoftwareDecoder(id))
        throw EncoderError(Reason::DecoderMissing,
                           std::string("the video codec ") + avcodec_get_name(id) + " cannot be decoded");
}

} // namespace enc
