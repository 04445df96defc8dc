// How a source's colour reaches what devices show: 8-bit SDR marked BT.709 (BT.601 matrix for
// standard-definition sizes), with HDR sources tone-mapped and BT.2020 colour gamut-mapped.
#pragma once

#include "ffmpeg_util.h"

#include <string>

namespace enc {

// The colour description of the frames a filter graph is built for.
struct SourceColour {
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace matrix = AVCOL_SPC_UNSPECIFIED;
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    int width = 0, height = 0; // coded size, to guess an unmarked matrix from
    double peakNits = 0;       // brightest light from the mastering or content light metadata; 0: none
};

// What the colour part of the video chain does.
struct ColourPlan {
    bool toneMap = false;  // PQ or HLG transfer: tone-mapped to SDR
    bool gamutMap = false; // primaries wider than BT.709: brought into BT.709 (implied by toneMap)
    double peakNits = 0;   // the peak the tone curve maps to SDR white
    // zscale names of the source's description ("smpte2084", "bt2020", "bt2020nc", "tv").
    std::string sourceTransfer, sourcePrimaries, sourceMatrix;
    // The matrix of the source's YUV as the scale step reads it, and the one it writes: the
    // output's for SDR sources (swscale converts between them), the source's own for the colour
    // steps after to convert.
    std::string scaleInputMatrix, scaleOutputMatrix;
    AVColorSpace outputMatrix = AVCOL_SPC_BT709;
    bool fullRangeOutput = false; // the encoder takes full-range (JPEG) pixels only
};

// Whether a frame of this size counts as high definition (more pixels than PAL's 720x576).
bool isHighDefinition(int width, int height);
// The matrix outputs of this size carry: BT.709 for HD, BT.601 (SMPTE 170M) for SD.
AVColorSpace outputMatrixFor(int width, int height);

// The source's description from its stream parameters and stream side data.
SourceColour streamColour(const AVStream* stream);
// The description of a decoded frame, with what the frame leaves open taken from the stream's.
SourceColour frameColour(const AVFrame* frame, const SourceColour& stream);

ColourPlan planColour(const SourceColour& source, int outputWidth, int outputHeight, AVPixelFormat outputFormat);

// The filters turning scaled HDR or wide-gamut frames into the output's colour, ending in 8-bit
// frames of the output's matrix and range; "" for SDR sources, which the scale step converts.
std::string colourChain(const ColourPlan& plan);

// Throws for sources whose colour cannot be converted (Dolby Vision without a compatible base layer).
void checkColourConvertible(const AVStream* stream);

// Sets the output's colour description on an encoder before it is opened.
void markOutputColour(AVCodecContext* encoder, const ColourPlan& plan);

} // namespace enc
