#include "colour.h"

extern "C" {
#include <libavutil/dovi_meta.h>
#include <libavutil/mastering_display_metadata.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace enc {
namespace {

// A colour field as the file stated it. Demuxers copy these numbers from the file unchecked, so a
// damaged or hostile file can hold a value no enumerator has: it is read as a plain number and
// taken as unspecified unless FFmpeg knows its name.
template <typename Enum>
Enum knownColourValue(const Enum& field, Enum count, const char* (*nameOf)(Enum), Enum unspecified)
{
    static_assert(sizeof(Enum) == sizeof(int));
    int raw = 0;
    std::memcpy(&raw, &field, sizeof raw);
    if (raw < 0 || raw >= static_cast<int>(count))
        return unspecified;
    const Enum value = static_cast<Enum>(raw);
    return nameOf(value) ? value : unspecified;
}

AVColorPrimaries knownPrimaries(const AVColorPrimaries& field)
{
    return knownColourValue(field, AVCOL_PRI_NB, av_color_primaries_name, AVCOL_PRI_UNSPECIFIED);
}

AVColorTransferCharacteristic knownTransfer(const AVColorTransferCharacteristic& field)
{
    return knownColourValue(field, AVCOL_TRC_NB, av_color_transfer_name, AVCOL_TRC_UNSPECIFIED);
}

AVColorSpace knownMatrix(const AVColorSpace& field)
{
    return knownColourValue(field, AVCOL_SPC_NB, av_color_space_name, AVCOL_SPC_UNSPECIFIED);
}

AVColorRange knownRange(const AVColorRange& field)
{
    return knownColourValue(field, AVCOL_RANGE_NB, av_color_range_name, AVCOL_RANGE_UNSPECIFIED);
}

// Light levels in cd/m2. Linear light is handed between the filters with SDR white (100) as 1.0.
constexpr double kSdrWhiteNits = 100;
constexpr double kPqPeakWithoutMetadataNits = 1000;
constexpr double kHlgNominalPeakNits = 1000;
constexpr double kPqLargestPeakNits = 10000;

bool isHdrTransfer(AVColorTransferCharacteristic transfer)
{
    return transfer == AVCOL_TRC_SMPTE2084 || transfer == AVCOL_TRC_ARIB_STD_B67;
}

bool isWideGamut(AVColorPrimaries primaries)
{
    return primaries == AVCOL_PRI_BT2020 || primaries == AVCOL_PRI_SMPTE431 || primaries == AVCOL_PRI_SMPTE432;
}

// The peak from content light level (the brightest pixel of the whole programme) or, failing
// that, the mastering display's peak; 0 when neither says.
double peakFrom(const AVContentLightMetadata* light, const AVMasteringDisplayMetadata* mastering)
{
    if (light && light->MaxCLL > 0)
        return light->MaxCLL;
    if (mastering && mastering->has_luminance && mastering->max_luminance.den > 0)
        return av_q2d(mastering->max_luminance);
    return 0;
}

const char* nameOr(const char* name, const char* fallback)
{
    return name ? name : fallback;
}

// The matrices zscale converts between, by its names; "" for others (left as they are).
std::string convertibleMatrixName(AVColorSpace matrix)
{
    switch (matrix) {
    case AVCOL_SPC_BT709:
    case AVCOL_SPC_BT470BG:
    case AVCOL_SPC_SMPTE170M:
    case AVCOL_SPC_BT2020_NCL:
        return av_color_space_name(matrix);
    default:
        return {};
    }
}

bool isFullRangeFormat(AVPixelFormat format)
{
    return format == AV_PIX_FMT_YUVJ420P || format == AV_PIX_FMT_YUVJ422P || format == AV_PIX_FMT_YUVJ444P
        || format == AV_PIX_FMT_YUVJ440P || format == AV_PIX_FMT_YUVJ411P;
}

} // namespace

bool isHighDefinition(int width, int height)
{
    return static_cast<int64_t>(width) * height > 720 * 576;
}

AVColorSpace outputMatrixFor(int width, int height)
{
    return isHighDefinition(width, height) ? AVCOL_SPC_BT709 : AVCOL_SPC_SMPTE170M;
}

SourceColour streamColour(const AVStream* stream)
{
    const AVCodecParameters* par = stream->codecpar;
    SourceColour colour;
    colour.primaries = knownPrimaries(par->color_primaries);
    colour.transfer = knownTransfer(par->color_trc);
    colour.matrix = knownMatrix(par->color_space);
    colour.range = knownRange(par->color_range);
    colour.width = par->width;
    colour.height = par->height;
    const auto* light = reinterpret_cast<const AVContentLightMetadata*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, nullptr));
    const auto* mastering = reinterpret_cast<const AVMasteringDisplayMetadata*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, nullptr));
    colour.peakNits = peakFrom(light, mastering);
    return colour;
}

SourceColour frameColour(const AVFrame* frame, const SourceColour& stream)
{
    SourceColour colour = stream;
    if (const auto primaries = knownPrimaries(frame->color_primaries); primaries != AVCOL_PRI_UNSPECIFIED)
        colour.primaries = primaries;
    if (const auto transfer = knownTransfer(frame->color_trc); transfer != AVCOL_TRC_UNSPECIFIED)
        colour.transfer = transfer;
    if (const auto matrix = knownMatrix(frame->colorspace); matrix != AVCOL_SPC_UNSPECIFIED)
        colour.matrix = matrix;
    if (const auto range = knownRange(frame->color_range); range != AVCOL_RANGE_UNSPECIFIED)
        colour.range = range;
    colour.width = frame->width;
    colour.height = frame->height;
    if (colour.peakNits <= 0) {
        const AVFrameSideData* light = av_frame_get_side_data(frame, AV_FRAME_DATA_CONTENT_LIGHT_LEVEL);
        const AVFrameSideData* mastering = av_frame_get_side_data(frame, AV_FRAME_DATA_MASTERING_DISPLAY_METADATA);
        colour.peakNits =
            peakFrom(light ? reinterpret_cast<const AVContentLightMetadata*>(light->data) : nullptr,
                     mastering ? reinterpret_cast<const AVMasteringDisplayMetadata*>(mastering->data) : nullptr);
    }
    return colour;
}

ColourPlan planColour(const SourceColour& source, int outputWidth, int outputHeight, AVPixelFormat outputFormat)
{
    ColourPlan plan;
    plan.outputMatrix = outputMatrixFor(outputWidth, outputHeight);
    plan.fullRangeOutput = isFullRangeFormat(outputFormat);
    plan.toneMap = isHdrTransfer(source.transfer);
    plan.gamutMap = plan.toneMap || isWideGamut(source.primaries);
    if (source.transfer == AVCOL_TRC_ARIB_STD_B67)
        plan.peakNits = kHlgNominalPeakNits; // HLG is relative: its signal peak is the display's nominal peak
    else if (plan.toneMap)
        plan.peakNits = source.peakNits > 0 ? std::clamp(source.peakNits, kSdrWhiteNits, kPqLargestPeakNits)
                                            : kPqPeakWithoutMetadataNits;

    // An unmarked matrix is the one usual for the source's size; wide-gamut video uses BT.2020's.
    AVColorSpace matrix = source.matrix;
    if (matrix == AVCOL_SPC_UNSPECIFIED || matrix == AVCOL_SPC_RESERVED)
        matrix = plan.gamutMap ? AVCOL_SPC_BT2020_NCL : outputMatrixFor(source.width, source.height);
    plan.sourceMatrix = convertibleMatrixName(matrix);
    plan.scaleInputMatrix = nameOr(av_color_space_name(matrix), "bt709");
    plan.scaleOutputMatrix = nameOr(av_color_space_name(plan.outputMatrix), "bt709");
    if (plan.gamutMap) {
        if (plan.sourceMatrix.empty())
            plan.sourceMatrix = "bt2020nc";
        plan.scaleInputMatrix = plan.sourceMatrix;
        plan.scaleOutputMatrix = plan.sourceMatrix;
        plan.sourcePrimaries = isWideGamut(source.primaries) ? av_color_primaries_name(source.primaries) : "bt2020";
        plan.sourceTransfer = plan.toneMap || source.transfer == AVCOL_TRC_BT2020_12
            ? av_color_transfer_name(source.transfer)
            : "bt2020-10"; // the SDR curve BT.2020 video is made with
    }
    return plan;
}

std::string colourChain(const ColourPlan& plan)
{
    const std::string outputMatrix = nameOr(av_color_space_name(plan.outputMatrix), "bt709");
    const std::string range = plan.fullRangeOutput ? "pc" : "tv";
    // The scale step before has already brought the source to the output's range.
    if (!plan.gamutMap)
        return {};
    const std::string input = "zscale=min=" + plan.sourceMatrix + ":rin=" + range;
    const std::string source = input + ":tin=" + plan.sourceTransfer + ":pin=" + plan.sourcePrimaries;
    // Error diffusion from the float steps to 8 bits: no bands in skies and other smooth areas.
    const std::string toSdr =
        "zscale=t=bt709:p=bt709:m=" + outputMatrix + ":r=" + range + ":d=error_diffusion,format=yuv420p";
    if (!plan.toneMap)
        return source + ":t=bt709:p=bt709:m=" + outputMatrix + ":r=" + range + ":d=error_diffusion,format=yuv420p";
    // Linear light in BT.709 primaries (colours outside it keep their ratios, so no hue turns),
    // then the brightest component of each pixel follows the tone curve, which scales all three
    // alike; SDR white is 1.0.
    char peak[32];
    std::snprintf(peak, sizeof peak, "%.3f", plan.peakNits / kSdrWhiteNits);
    return source + ":t=linear:npl=" + std::to_string(static_cast<int>(kSdrWhiteNits))
        + ":p=bt709,format=gbrpf32le,tonemap=tonemap=hable:desat=0:peak=" + peak + "," + toSdr;
}

void checkColourConvertible(const AVStream* stream)
{
    const auto* dovi = reinterpret_cast<const AVDOVIDecoderConfigurationRecord*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DOVI_CONF, nullptr));
    // Profile 5 holds IPT colour that only a Dolby Vision decoder can turn into pictures; the other
    // profiles carry an HDR10, HLG or SDR base layer that decodes like any other video.
    if (dovi && dovi->dv_profile == 5)
        throw EncoderError(Reason::ColourUnsupported, "Dolby Vision profile 5 cannot be converted");
}

void markOutputColour(AVCodecContext* encoder, const ColourPlan& plan)
{
    // Gamut-mapped and SDR sources alike come out in BT.709 primaries and transfer (BT.601's
    // transfer is the same curve); the matrix is the one the chain converted to.
    encoder->color_primaries = AVCOL_PRI_BT709;
    encoder->color_trc = AVCOL_TRC_BT709;
    encoder->colorspace = plan.outputMatrix;
    encoder->color_range = plan.fullRangeOutput ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
}

} // namespace enc
