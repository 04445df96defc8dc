// Choosing the decoder a source's stream is read with.
#pragma once

#include "ffmpeg_util.h"

namespace enc {

// The decoder that turns this codec into pictures or sound on the processor, or nullptr when
// none does (FFmpeg's own AV1 decoder only drives hardware; dav1d decodes AV1 in software).
const AVCodec* findSoftwareDecoder(AVCodecID id);

// Throws "the video codec X cannot be decoded" when no software decoder reads the stream.
void checkVideoDecodable(const AVStream* stream);

} // namespace enc
