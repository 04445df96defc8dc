// Names the converter writes, mapped onto FFmpeg's muxers and encoders, and what each accepts.
#pragma once

#include "ffmpeg_util.h"

#include <string>

namespace enc {

// The muxer for a format name or alias ("wmv" -> asf); throws EncoderError for an unknown name.
const AVOutputFormat* findMuxer(const std::string& name);
// The encoder for a codec name or alias ("h264" -> libx264); throws EncoderError when unknown
// or of the wrong kind.
const AVCodec* findEncoder(const std::string& name, AVMediaType type);
// Throws EncoderError when the format cannot hold the codec.
void checkFormatTakesCodec(const AVOutputFormat* muxer, const AVCodec* codec);

// The encoder's preferred pixel format, or the one nearest to the source's.
AVPixelFormat choosePixelFormat(const AVCodec* codec, AVPixelFormat source);
// The encoder's preferred sample format.
AVSampleFormat chooseSampleFormat(const AVCodec* codec);
// The requested rate when the encoder and the format take it; for a rate chosen by us (requested 0)
// the supported rate nearest to the source's. Throws EncoderError for an explicit rate they cannot take.
int chooseSampleRate(const AVCodec* codec, const AVOutputFormat* muxer, int requested, int source);
// An encoder frame rate that the codec's time base limits allow.
AVRational chooseFrameRate(const AVCodec* codec, double requested, AVRational source);

} // namespace enc
